#include "views/labels/label_set_editor.h"

#include "data/labels/label_set.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

label_set_editor::label_set_editor(const std::vector<label_def>& labels, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Label Set"));
    table_ = new QTableWidget(0, 3, this);
    table_->setHorizontalHeaderLabels({tr("Name"), tr("Colour"), tr("Key")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    fill(labels);
    // Each row of the set given keeps its name as it was, so that a rename can be told from a new row.
    for (int r = 0; r < table_->rowCount(); ++r)
        table_->item(r, 0)->setData(Qt::UserRole, table_->item(r, 0)->text());
    auto* add = new QPushButton(tr("Add"), this);
    auto* remove = new QPushButton(tr("Remove"), this);
    auto* defaults = new QPushButton(tr("Defaults"), this);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* row = new QHBoxLayout;
    row->addWidget(add);
    row->addWidget(remove);
    row->addWidget(defaults);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(row);
    layout->addWidget(box);
    connect(add, &QPushButton::clicked, this, [this] {
        add_row({tr("label %1").arg(table_->rowCount() + 1), 0x808080, 0});
        table_->editItem(table_->item(table_->rowCount() - 1, 0));
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (table_->currentRow() >= 0)
            table_->removeRow(table_->currentRow());
    });
    connect(defaults, &QPushButton::clicked, this, [this] { fill(label_set::defaults().labels()); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, &label_set_editor::choose_colour);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(360, 320);
}

void label_set_editor::fill(const std::vector<label_def>& labels)
{
    table_->setRowCount(0);
    for (const label_def& l : labels)
        add_row(l);
}

void label_set_editor::add_row(const label_def& label)
{
    const int r = table_->rowCount();
    table_->insertRow(r);
    table_->setItem(r, 0, new QTableWidgetItem(label.name));
    auto* colour = new QTableWidgetItem;
    colour->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    colour->setBackground(QColor::fromRgb(label.rgb));
    colour->setToolTip(tr("Double-click to choose the colour"));
    table_->setItem(r, 1, colour);
    table_->setItem(r, 2, new QTableWidgetItem(label.key > 0 ? QString::number(label.key) : QString()));
}

void label_set_editor::choose_colour(int row, int column)
{
    if (column != 1)
        return;
    const QColor chosen =
        QColorDialog::getColor(table_->item(row, 1)->background().color(), this, tr("Label Colour"));
    if (chosen.isValid())
        table_->item(row, 1)->setBackground(chosen);
}

void label_set_editor::accept()
{
    QStringList names;
    QList<int> keys;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QString name = table_->item(r, 0)->text().trimmed();
        const QString key_text = table_->item(r, 2)->text().trimmed();
        bool number = true;
        const int key = key_text.isEmpty() ? 0 : key_text.toInt(&number);
        QString why;
        if (name.isEmpty())
            why = tr("Row %1 has no name.").arg(r + 1);
        else if (names.contains(name))
            why = tr("The name \"%1\" is given twice.").arg(name);
        else if (!number || key < 0 || key > 9)
            why = tr("The key of \"%1\" must be a digit from 1 to 9, or empty.").arg(name);
        else if (key > 0 && keys.contains(key))
            why = tr("The key %1 is given twice.").arg(key);
        if (!why.isEmpty()) {
            QMessageBox::warning(this, windowTitle(), why);
            return;
        }
        names << name;
        keys << key;
    }
    QDialog::accept();
}

std::vector<label_def> label_set_editor::labels() const
{
    std::vector<label_def> out;
    for (int r = 0; r < table_->rowCount(); ++r)
        out.push_back({table_->item(r, 0)->text().trimmed(), table_->item(r, 1)->background().color().rgb() & 0xffffffu,
                       table_->item(r, 2)->text().trimmed().toInt()});
    return out;
}

std::vector<std::pair<QString, QString>> label_set_editor::renames() const
{
    std::vector<std::pair<QString, QString>> out;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QString was = table_->item(r, 0)->data(Qt::UserRole).toString();
        const QString now = table_->item(r, 0)->text().trimmed();
        if (!was.isEmpty() && was != now)
            out.emplace_back(was, now);
    }
    return out;
}
