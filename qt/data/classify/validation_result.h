#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The figures of one validation: predictions of rows the model did not see against their labels.
struct validation_result
{
    QString method; // "5-fold stratified" or "leave-one-animal-out (3 animals)"
    QStringList classes;
    std::vector<std::vector<int>> confusion; // [true class][predicted class] counts

    // Counts every (truth, predicted) pair; both index classes.
    static validation_result from_predictions(const QString& method, const QStringList& classes,
                                              const std::vector<int>& truth,
                                              const std::vector<int>& predicted);

    int total() const;
    double accuracy() const;
    double precision(int c) const; // 0 when nothing was predicted as c
    double recall(int c) const;    // 0 when no row is of class c
    double f1(int c) const;
    double row_percent(int truth, int predicted) const;
    // The figures as text: accuracy, a line per class, then the confusion matrix (counts and row %).
    QString text() const;
};
