#include "views/burst/calibration_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* number_box(double value, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(-1e6, 1e6);
    box->setDecimals(4);
    box->setValue(value);
    return box;
}

} // namespace

calibration_dialog::calibration_dialog(const QString& tag, const std::optional<burst_calibration>& current,
                                       QWidget* parent, const QString& assumption)
    : QDialog(parent)
{
    setWindowTitle(tr("Calibration"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Tag: %1").arg(tag), this));
    if (!assumption.isEmpty())
        layout->addWidget(new QLabel(tr("Now: %1 (the maker's values); OK stores them for this tag.").arg(assumption), this));
    group_ = new QGroupBox(tr("Calibrate this tag (otherwise values are shown in raw units)"), this);
    group_->setCheckable(true);
    group_->setChecked(current.has_value());
    auto* grid = new QGridLayout(group_);
    grid->addWidget(new QLabel(tr("Raw value at 0 g"), group_), 0, 1);
    grid->addWidget(new QLabel(tr("Raw units per g"), group_), 0, 2);
    const QString names[3] = {tr("X"), tr("Y"), tr("Z")};
    // Without a calibration the fields start from a 12-bit sensor centred at 2048.
    const burst_calibration start =
        current.value_or(burst_calibration{{{2048, 512}, {2048, 512}, {2048, 512}}});
    for (int a = 0; a < 3; ++a) {
        grid->addWidget(new QLabel(names[a], group_), a + 1, 0);
        zero_[a] = number_box(start.axes[a].zero, group_);
        scale_[a] = number_box(start.axes[a].per_g, group_);
        grid->addWidget(zero_[a], a + 1, 1);
        grid->addWidget(scale_[a], a + 1, 2);
    }
    layout->addWidget(group_);
    layout->addWidget(new QLabel(
        tr("The data and raw exports are not changed; this only sets how values are shown."), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &calibration_dialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &calibration_dialog::reject);
    layout->addWidget(buttons);
}

std::optional<burst_calibration> calibration_dialog::calibration() const
{
    if (!group_->isChecked())
        return std::nullopt;
    burst_calibration c;
    for (int a = 0; a < 3; ++a)
        c.axes[a] = {zero_[a]->value(), scale_[a]->value()};
    return c;
}

void calibration_dialog::accept()
{
    if (group_->isChecked()) {
        const char* const names[3] = {"X", "Y", "Z"};
        for (int a = 0; a < 3; ++a)
            if (scale_[a]->value() == 0) {
                QMessageBox::warning(this, tr("Calibration"),
                                     tr("The raw units per g of axis %1 must not be 0.").arg(names[a]));
                return;
            }
    }
    QDialog::accept();
}
