#include "views/classify/time_budget_dialog.h"

#include "data/io/checked_commit.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

time_budget_dialog::time_budget_dialog(QWidget* parent, std::vector<time_budget> budgets,
                                       const QString& folder)
    : QDialog(parent), budgets_(std::move(budgets)), folder_(folder)
{
    setWindowTitle(tr("Time Budget"));
    QStringList headers{tr("Animal"), tr("Day")};
    if (!budgets_.empty())
        headers << budgets_.front().classes;
    headers << tr("unclassified");
    table_ = new QTableWidget(0, headers.size());
    table_->setHorizontalHeaderLabels(headers);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    for (const time_budget& b : budgets_)
        for (const time_budget::day& d : b.days) {
            const int row = table_->rowCount();
            table_->insertRow(row);
            table_->setItem(row, 0, new QTableWidgetItem(b.animal));
            table_->setItem(row, 1, new QTableWidgetItem(d.date.toString(Qt::ISODate)));
            for (size_t c = 0; c < d.minutes.size(); ++c) {
                auto* item = new QTableWidgetItem(QString::number(d.minutes[c], 'f', 1));
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(row, int(c) + 2, item);
            }
        }
    table_->resizeColumnsToContents();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* export_button = buttons->addButton(tr("Export CSV..."), QDialogButtonBox::ActionRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(760, 420);
    connect(export_button, &QPushButton::clicked, this, &time_budget_dialog::export_csv);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void time_budget_dialog::export_csv()
{
    const QString name = QFileDialog::getSaveFileName(this, tr("Export Time Budget"),
                                                      folder_ + "/time-budget.csv", tr("CSV files (*.csv)"));
    if (name.isEmpty())
        return;
    QSaveFile file(name);
    QString error;
    if (!file.open(QIODevice::WriteOnly))
        error = file.errorString();
    else if (time_budget::write_csv(budgets_, file, &error))
        error = checked_commit(file);
    if (!error.isEmpty())
        QMessageBox::warning(this, tr("Export failed"),
                             tr("Cannot write %1: %2").arg(QFileInfo(name).fileName(), error));
}
