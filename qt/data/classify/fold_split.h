#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Which validation fold each row belongs to (-1: in none), and what the folds are.
struct fold_split
{
    std::vector<int> fold_of_row;
    int folds = 0;
    QStringList fold_names; // per fold: "fold 3" or the animal left out

    // Rows of each class dealt in turn to k folds after a shuffle fixed by seed, so every fold holds
    // about n_class / k of each class. Rows with a negative class are in no fold.
    static fold_split stratified(const std::vector<int>& classes, int k, quint32 seed);
    // One fold per animal (in order of first appearance) of the rows with a class.
    static fold_split by_animal(const std::vector<int>& classes, const QStringList& animals);
};
