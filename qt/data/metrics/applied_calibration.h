#pragma once

#include "data/metrics/burst_calibration.h"

#include <QString>

#include <optional>

class QSettings;

// The calibration that applies to one tag's metrics: the one stored for the tag, else the maker's
// default for its tag number (an assumption, said as such), else none (raw units).
struct applied_calibration
{
    enum class source { none, stored, default_by_tag };

    std::optional<burst_calibration> value;
    source from = source::none;
    QString tag; // the tag number, empty when unknown

    // stored if any, else the default for tag_number (see burst_calibration::default_for_tag).
    static applied_calibration for_tag(const std::optional<burst_calibration>& stored, const QString& tag_number);
    // As above with the calibration stored in settings under key (see burst_calibration::load).
    static applied_calibration for_tag(QSettings& settings, const QString& key, const QString& tag_number,
                                       QString* refusal = nullptr);

    // "g" or "raw".
    QString units() const;
    // "stored", "default-by-tag" or "none", as in the burst table's first line.
    QString source_name() const;
    // "calibration assumed from tag number 4711" for a default, else empty.
    QString assumption() const;
};
