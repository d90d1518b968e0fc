#include "app/animal_chooser_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

animal_chooser_dialog::animal_chooser_dialog(const std::vector<animal>& animals, const QString& file_name,
                                             QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("animal_chooser_dialog"));
    setWindowTitle(tr("Choose Animals"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("%1 holds %2 animals. Open each checked animal in its own window:")
                                     .arg(QFileInfo(file_name).fileName())
                                     .arg(animals.size()),
                                 this));
    for (const animal& a : animals) {
        auto* item = new QListWidgetItem(row_text(a), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    list_->setObjectName(QStringLiteral("animal_list"));
    layout->addWidget(list_);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemChanged, this, &animal_chooser_dialog::update_ok);
    resize(480, 320);
}

QString animal_chooser_dialog::row_text(const animal& a)
{
    const auto day = [](qint64 t) {
        return QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd"));
    };
    const QString name = a.id.isEmpty() ? tr("(no identifier)") : a.id;
    if (a.bursts == 0)
        return tr("%1 - no bursts").arg(name);
    return tr("%1 - %2 bursts, %3 to %4")
        .arg(name)
        .arg(a.bursts)
        .arg(day(a.begin_timestamp), day(a.end_timestamp));
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
