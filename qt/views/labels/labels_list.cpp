#include "views/labels/labels_list.h"

#include "views/labels/label_rows_model.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

labels_list::labels_list(const burst_space& space, QWidget* parent) : QWidget(parent)
{
    model_ = new label_rows_model(space, this);
    table_ = new QTableView(this);
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    hidden_ = new QLabel(this);
    hidden_->setWordWrap(true);
    jump_ = new QPushButton(tr("Jump To"), this);
    delete_ = new QPushButton(tr("Delete"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(jump_);
    buttons->addWidget(delete_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(table_, 1);
    layout->addWidget(hidden_);
    layout->addLayout(buttons);
    connect(jump_, &QPushButton::clicked, this, &labels_list::jump);
    connect(delete_, &QPushButton::clicked, this, &labels_list::remove);
    connect(table_, &QTableView::doubleClicked, this, &labels_list::jump);
}

void labels_list::refill(const label_segments& segments, const QString& animal)
{
    const int current = table_->currentIndex().row();
    model_->refill(segments, animal);
    if (current >= 0 && model_->rowCount() > 0)
        table_->setCurrentIndex(model_->index(std::min(current, model_->rowCount() - 1), 0));
    table_->resizeColumnsToContents();
    hidden_->setVisible(model_->hidden() > 0);
    hidden_->setText(model_->hidden() == 1 ? tr("1 segment lies outside the data: kept in the file, not listed.")
                                           : tr("%1 segments lie outside the data: kept in the file, not listed.")
                                                 .arg(model_->hidden()));
}

std::vector<int> labels_list::chosen_rows() const
{
    std::vector<int> rows;
    for (const QModelIndex& i : table_->selectionModel()->selectedRows())
        rows.push_back(i.row());
    if (rows.empty() && table_->currentIndex().isValid())
        rows.push_back(table_->currentIndex().row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void labels_list::jump()
{
    const std::vector<int> rows = chosen_rows();
    if (rows.empty())
        return;
    const label_rows_model::row& r = model_->rows()[std::size_t(rows.front())];
    emit jump_requested(r.first_burst, r.first_burst + r.bursts - 1);
}

void labels_list::remove()
{
    std::vector<label_segment> segments;
    for (int row : chosen_rows())
        segments.push_back(model_->rows()[std::size_t(row)].segment);
    if (!segments.empty())
        emit delete_requested(segments);
}

void labels_list::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        remove();
        return;
    }
    QWidget::keyPressEvent(event);
}
