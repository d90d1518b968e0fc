#include "app/animal_chooser_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

animal_chooser_dialog::animal_chooser_dialog(const std::vector<animal>& animals, const QString& file_name,
                                             QWidget* parent, const QString& gps_file_name)
    : QDialog(parent), list_(new QListWidget(this)),
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
    for (const animal& a : animals) {
        auto* item = new QListWidgetItem(row_text(a), list_);
        // An animal with fixes only has no burst window to open.
        const bool openable = a.bursts > 0 || a.fixes < 0;
        item->setFlags(openable ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::NoItemFlags);
        item->setCheckState(openable ? Qt::Checked : Qt::Unchecked);
    }
    list_->setObjectName(QStringLiteral("animal_list"));
    layout->addWidget(list_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemChanged, this, &animal_chooser_dialog::update_ok);
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
