#pragma once

#include "data/labels/label_def.h"

#include <QDialog>

#include <utility>
#include <vector>

class QTableWidget;

// Edits the label set: a row per label with its name, colour (double-click to choose) and key 1-9
// (empty for none); Add, Remove and Defaults. The labels already given keep their names.
class label_set_editor : public QDialog
{
    Q_OBJECT

public:
    label_set_editor(const std::vector<label_def>& labels, QWidget* parent = nullptr);

    // The labels as edited, in table order.
    std::vector<label_def> labels() const;
    // The labels of the set given that were renamed, as (old name, new name) in table order.
    std::vector<std::pair<QString, QString>> renames() const;
    QTableWidget* table() const { return table_; }

    // Refuses, saying why, names empty or given twice and keys outside 1-9 or given twice.
    void accept() override;

private:
    void add_row(const label_def& label);
    void choose_colour(int row, int column);
    void fill(const std::vector<label_def>& labels);

    QTableWidget* table_;
};
