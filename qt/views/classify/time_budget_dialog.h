#pragma once

#include "data/classify/time_budget.h"

#include <QDialog>

#include <vector>

class QTableWidget;

// The minutes per behaviour of each animal and day, in a table that can be exported as CSV.
class time_budget_dialog : public QDialog
{
    Q_OBJECT

public:
    // folder: where the export is offered.
    time_budget_dialog(QWidget* parent, std::vector<time_budget> budgets, const QString& folder);

    QTableWidget* table() const { return table_; }

public slots:
    // Asks for a file (confirming a replacement) and writes the table there as CSV.
    void export_csv();

private:
    std::vector<time_budget> budgets_;
    QString folder_;
    QTableWidget* table_;
};
