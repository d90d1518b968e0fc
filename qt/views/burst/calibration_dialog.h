#pragma once

#include "data/metrics/burst_calibration.h"

#include <QDialog>
#include <QString>

#include <optional>

class QDoubleSpinBox;
class QGroupBox;

// Asks, per axis, for the raw value that means 0 g and the raw units per g of one tag. Unchecking
// "Calibrate this tag" asks for raw units. A scale of 0 is refused with a message.
class calibration_dialog : public QDialog
{
    Q_OBJECT

public:
    calibration_dialog(const QString& tag, const std::optional<burst_calibration>& current, QWidget* parent);

    // The calibration as entered; none when unchecked.
    std::optional<burst_calibration> calibration() const;

    QGroupBox* group() const { return group_; }
    QDoubleSpinBox* zero_box(int axis) const { return zero_[axis]; }
    QDoubleSpinBox* scale_box(int axis) const { return scale_[axis]; }

    void accept() override;

private:
    QGroupBox* group_;
    QDoubleSpinBox* zero_[3];
    QDoubleSpinBox* scale_[3];
};
