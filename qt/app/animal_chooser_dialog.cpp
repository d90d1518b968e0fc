#include "app/animal_chooser_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

animal_chooser_dialog::animal_chooser_dialog(const std::vector<animal>& animals, const QString& file_name,
                                             QWidget* parent, const QString& gps_file_name)
    : QDialog(parent), filter_(new QLineEdit(this)), list_(new QListWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("animal_chooser_dialog"));
    setWindowTitle(tr("Choose Animals"));
    auto* layout = new QVBoxLayout(this);
    const QString name = QFileInfo(file_name).fileName();
    const QString gps_name = QFileInfo(gps_file_name).fileName();
    QString intro;
    if (gps_file_name.isEmpty())
        intro = tr("%1 holds %2 animals. Open each checked animal in its own window:")
                    .arg(name)
                    .arg(animals.size());
    else if (gps_file_name == file_name)
        intro = tr("%1 holds %2 animals. Open each checked animal in its own window, its fixes as its track "
                   "on the map:")
                    .arg(name)
                    .arg(animals.size());
    else
        intro = tr("%1 and %2 hold %3 animals. Open each checked animal in its own window, its fixes as its "
                   "track on the map:")
                    .arg(name, gps_name)
                    .arg(animals.size());
    auto* label = new QLabel(intro, this);
    label->setWordWrap(!gps_file_name.isEmpty());
    layout->addWidget(label);
    filter_->setObjectName(QStringLiteral("animal_filter"));
    filter_->setPlaceholderText(tr("Filter animals by identifier"));
    filter_->setClearButtonEnabled(true);
    auto* select_all = new QPushButton(tr("Select All"), this);
    auto* select_none = new QPushButton(tr("Select None"), this);
    select_all->setObjectName(QStringLiteral("select_all"));
    select_none->setObjectName(QStringLiteral("select_none"));
    auto* row = new QHBoxLayout;
    row->addWidget(filter_, 1);
    row->addWidget(select_all);
    row->addWidget(select_none);
    layout->addLayout(row);
    list_->setUniformItemSizes(true); // many thousand rows lay out at once
    int checked = 0;
    for (const animal& a : animals) {
        // Filled before it joins the list: one change for the list instead of four.
        auto* item = new QListWidgetItem(row_text(a));
        item->setData(Qt::UserRole, a.id);
        // An animal with fixes only has no burst window to open.
        const bool openable = a.bursts > 0 || a.fixes < 0;
        item->setFlags(openable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::NoItemFlags);
        const bool check = openable && checked < opens_without_asking;
        checked += check ? 1 : 0;
        item->setCheckState(check ? Qt::Checked : Qt::Unchecked);
        list_->addItem(item);
    }
    list_->setObjectName(QStringLiteral("animal_list"));
    layout->addWidget(list_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &animal_chooser_dialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemChanged, this, &animal_chooser_dialog::update_ok);
    connect(filter_, &QLineEdit::textChanged, this, &animal_chooser_dialog::filter);
    connect(select_all, &QPushButton::clicked, this, [this] { check_shown(Qt::Checked); });
    connect(select_none, &QPushButton::clicked, this, [this] { check_shown(Qt::Unchecked); });
    update_ok();
    list_->setFocus();
    // Wide enough for the longest row (up to a limit), so that rows are not cut.
    const QMargins margins = layout->contentsMargins();
    const int row_width = list_->sizeHintForColumn(0) + 2 * list_->frameWidth() +
                          list_->verticalScrollBar()->sizeHint().width() + margins.left() + margins.right();
    resize(qBound(480, row_width, 900), 320);
}

QString animal_chooser_dialog::row_text(const animal& a)
{
    const auto day = [](qint64 t) {
        return QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd"));
    };
    const QString name = a.id.isEmpty() ? tr("(no identifier)") : a.id;
    if (a.fixes < 0) {
        if (a.bursts == 0)
            return tr("%1 - no bursts").arg(name);
        return tr("%1 - %2, %3 to %4")
            .arg(name, a.bursts == 1 ? tr("1 burst") : tr("%1 bursts").arg(a.bursts), day(a.begin_timestamp),
                 day(a.end_timestamp));
    }
    const QString bursts = a.bursts == 0   ? tr("no bursts (not opened)")
                           : a.bursts == 1 ? tr("1 burst")
                                           : tr("%1 bursts").arg(a.bursts);
    const QString fixes = a.fixes == 0   ? tr("no fixes (bursts only)")
                          : a.fixes == 1 ? tr("1 fix")
                                         : tr("%1 fixes").arg(a.fixes);
    return tr("%1 - %2, %3, %4 to %5").arg(name, bursts, fixes, day(a.begin_timestamp), day(a.end_timestamp));
}

std::vector<int> animal_chooser_dialog::chosen() const
{
    std::vector<int> rows;
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->checkState() == Qt::Checked)
            rows.push_back(i);
    }
    return rows;
}

void animal_chooser_dialog::update_ok()
{
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(!chosen().empty());
}

void animal_chooser_dialog::filter(const QString& text)
{
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        item->setHidden(!item->data(Qt::UserRole).toString().contains(text, Qt::CaseInsensitive));
    }
}

void animal_chooser_dialog::check_shown(Qt::CheckState state)
{
    {
        // One check of OK afterwards, not one per row.
        const QSignalBlocker quiet(list_);
        for (int i = 0; i < list_->count(); ++i) {
            QListWidgetItem* item = list_->item(i);
            if (!item->isHidden() && (item->flags() & Qt::ItemIsUserCheckable))
                item->setCheckState(state);
        }
    }
    update_ok();
}

void animal_chooser_dialog::accept()
{
    const std::size_t windows = chosen().size();
    if (windows > static_cast<std::size_t>(opens_without_asking) &&
        QMessageBox::question(this, tr("Open Many Windows"),
                              tr("Open %1 windows, one for each checked animal?").arg(windows),
                              QMessageBox::Open | QMessageBox::Cancel,
                              QMessageBox::Cancel) != QMessageBox::Open)
        return;
    QDialog::accept();
}
