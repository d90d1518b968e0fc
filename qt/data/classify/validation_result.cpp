#include "data/classify/validation_result.h"

validation_result validation_result::from_predictions(const QString& method, const QStringList& classes,
                                                      const std::vector<int>& truth,
                                                      const std::vector<int>& predicted)
{
    validation_result v;
    v.method = method;
    v.classes = classes;
    const size_t k = size_t(classes.size());
    v.confusion.assign(k, std::vector<int>(k, 0));
    for (size_t i = 0; i < truth.size() && i < predicted.size(); ++i)
        ++v.confusion[size_t(truth[i])][size_t(predicted[i])];
    return v;
}

int validation_result::total() const
{
    int n = 0;
    for (const auto& row : confusion)
        for (int c : row)
            n += c;
    return n;
}

double validation_result::accuracy() const
{
    int right = 0;
    for (size_t c = 0; c < confusion.size(); ++c)
        right += confusion[c][c];
    const int n = total();
    return n ? double(right) / n : 0.0;
}

double validation_result::precision(int c) const
{
    int predicted = 0;
    for (const auto& row : confusion)
        predicted += row[size_t(c)];
    return predicted ? double(confusion[size_t(c)][size_t(c)]) / predicted : 0.0;
}

double validation_result::recall(int c) const
{
    int actual = 0;
    for (int n : confusion[size_t(c)])
        actual += n;
    return actual ? double(confusion[size_t(c)][size_t(c)]) / actual : 0.0;
}

double validation_result::f1(int c) const
{
    const double p = precision(c), r = recall(c);
    return p + r > 0 ? 2 * p * r / (p + r) : 0.0;
}

double validation_result::row_percent(int truth, int predicted) const
{
    int actual = 0;
    for (int n : confusion[size_t(truth)])
        actual += n;
    return actual ? 100.0 * confusion[size_t(truth)][size_t(predicted)] / actual : 0.0;
}

QString validation_result::text() const
{
    int width = 9;
    for (const QString& c : classes)
        width = std::max(width, int(c.size()) + 1);
    QString t =
        QString("%1: accuracy %2 over %3 bursts\n").arg(method).arg(accuracy(), 0, 'f', 3).arg(total());
    t += QString("%1 %2 %3 %4\n").arg("class", -width).arg("precision", 9).arg("recall", 9).arg("F1", 9);
    for (int c = 0; c < classes.size(); ++c)
        t += QString("%1 %2 %3 %4\n")
                 .arg(classes[c], -width)
                 .arg(precision(c), 9, 'f', 3)
                 .arg(recall(c), 9, 'f', 3)
                 .arg(f1(c), 9, 'f', 3);
    t += "confusion (rows: labelled, columns: predicted; count and row %)\n";
    t += QString(width, ' ');
    for (const QString& c : classes)
        t += QString(" %1").arg(c, width + 7);
    t += '\n';
    for (int r = 0; r < classes.size(); ++r) {
        t += QString("%1").arg(classes[r], -width);
        for (int c = 0; c < classes.size(); ++c)
            t += QString(" %1 (%2%)")
                     .arg(confusion[size_t(r)][size_t(c)], width)
                     .arg(row_percent(r, c), 3, 'f', 0);
        t += '\n';
    }
    return t;
}
