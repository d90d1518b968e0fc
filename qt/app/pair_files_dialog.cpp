#include "app/pair_files_dialog.h"

#include "data/load/eobs_guess_acc_gps_filenames.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

pair_files_dialog::pair_files_dialog(const QString& acc_file, const QString& gps_file, bool gps_chosen,
                                     const QString& filters, QWidget* parent)
    : QDialog(parent), filters_(filters), acc_(new QLineEdit(acc_file, this)),
      gps_(new QLineEdit(gps_file, this)), gps_chosen_(gps_chosen)
{
    setWindowTitle(tr("Open Acceleration and GPS Files"));
    acc_->setObjectName(QStringLiteral("acc_file"));
    gps_->setObjectName(QStringLiteral("gps_file"));
    acc_->setPlaceholderText(tr("No acceleration file named as its partner; choose one"));
    gps_->setPlaceholderText(tr("No GPS file named as its partner; choose one"));
    auto* form = new QFormLayout(this);
    for (QLineEdit* field : {acc_, gps_}) {
        field->setMinimumWidth(420);
        auto* row = new QHBoxLayout;
        row->addWidget(field);
        auto* browse_button = new QPushButton(tr("Browse..."), this);
        row->addWidget(browse_button);
        const bool acc = field == acc_;
        connect(browse_button, &QPushButton::clicked, this, [this, field, acc] {
            browse(field, acc ? tr("Open Acceleration Data File") : tr("Open GPS File"));
        });
        form->addRow(acc ? tr("Acceleration file:") : tr("GPS file:"), row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Without an acceleration file there is no pair to open.
    const auto enable = [this, buttons] {
        buttons->button(QDialogButtonBox::Open)->setEnabled(!acc_->text().trimmed().isEmpty());
    };
    connect(acc_, &QLineEdit::textChanged, this, enable);
    enable();
}

QString pair_files_dialog::acc_file() const
{
    return acc_->text().trimmed();
}

QString pair_files_dialog::gps_file() const
{
    return gps_->text().trimmed();
}

QString pair_files_dialog::named_partner(const QString& acc_file)
{
    return eobs_guess_acc_gps_filenames::existing_gps_partner(acc_file);
}

QString pair_files_dialog::named_acc_partner(const QString& gps_file)
{
    return eobs_guess_acc_gps_filenames::existing_acc_partner(gps_file);
}

void pair_files_dialog::browse(QLineEdit* field, const QString& caption)
{
    const QString start = field->text().isEmpty() ? acc_file() : field->text();
    const QString chosen =
        QFileDialog::getOpenFileName(this, caption, QFileInfo(start).absolutePath(), filters_);
    if (chosen.isEmpty())
        return;
    field->setText(chosen);
    gps_chosen_ = gps_chosen_ || field == gps_;
    // A new acceleration file proposes its own partner, when it has one and no GPS file was chosen.
    if (field == acc_ && !gps_chosen_) {
        const QString partner = named_partner(chosen);
        if (!partner.isEmpty())
            gps_->setText(partner);
    }
}
