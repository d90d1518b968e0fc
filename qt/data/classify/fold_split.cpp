#include "data/classify/fold_split.h"

#include <QHash>

#include <algorithm>
#include <random>

fold_split fold_split::stratified(const std::vector<int>& classes, int k, quint32 seed)
{
    fold_split s;
    s.folds = k;
    for (int f = 0; f < k; ++f)
        s.fold_names << QString("fold %1").arg(f + 1);
    s.fold_of_row.assign(classes.size(), -1);
    const int class_count = classes.empty() ? 0 : *std::max_element(classes.begin(), classes.end()) + 1;
    std::mt19937 random(seed);
    int next = 0; // each class continues where the last left off, so the folds stay even in size
    for (int c = 0; c < class_count; ++c) {
        std::vector<size_t> rows;
        for (size_t r = 0; r < classes.size(); ++r)
            if (classes[r] == c)
                rows.push_back(r);
        // Fisher-Yates with the generator's raw numbers: the same order on every platform.
        for (size_t i = rows.size(); i > 1; --i)
            std::swap(rows[i - 1], rows[random() % i]);
        for (size_t r : rows)
            s.fold_of_row[r] = next++ % k;
    }
    return s;
}

fold_split fold_split::by_animal(const std::vector<int>& classes, const QStringList& animals)
{
    fold_split s;
    s.fold_of_row.assign(classes.size(), -1);
    QHash<QString, int> fold_of_animal;
    for (size_t r = 0; r < classes.size(); ++r) {
        if (classes[r] < 0)
            continue;
        const QString& a = animals[int(r)];
        auto it = fold_of_animal.find(a);
        if (it == fold_of_animal.end()) {
            it = fold_of_animal.insert(a, s.folds++);
            s.fold_names << a;
        }
        s.fold_of_row[r] = *it;
    }
    return s;
}
