#pragma once

#include <QString>

#include <optional>

class QSettings;

// Raw sensor units to g, per axis: g = (raw - zero) / per_g. Settings keep one per tag under
// "calibration/<tag>/"; the data and raw exports never change through it.
class burst_calibration
{
public:
    struct axis
    {
        double zero = 0;  // raw value that means 0 g
        double per_g = 1; // raw units per g; never 0
    };

    axis axes[3]; // X, Y, Z

    double to_g(int a, double raw) const { return (raw - axes[a].zero) / axes[a].per_g; }
    double to_raw(int a, double g) const { return axes[a].zero + g * axes[a].per_g; }

    // The calibration stored for tag, none when there is none or it is unusable (see usable()); an
    // unusable one that is stored sets *refusal to a message naming the tag and the value.
    static std::optional<burst_calibration> load(QSettings& settings, const QString& tag,
                                                 QString* refusal = nullptr);
    static void save(QSettings& settings, const QString& tag, const burst_calibration& calibration);
    static void remove(QSettings& settings, const QString& tag);

    // A scale and zero the conversion can use: finite, within what the calibration dialog accepts
    // (|zero| and |per_g| at most max_value, |per_g| at least min_scale).
    static bool usable(const axis& a);
    // The maker's published calibration for a tag number (decimal digits only, at least 1): zero
    // 2048 on every axis; tags 1-2241 0.0027 g per unit, 2242-4117 0.0022 g with Y inverted, from 4118
    // on 1/512 g with Y inverted. None for any other tag text.
    static std::optional<burst_calibration> default_for_tag(const QString& tag);
    static constexpr double max_value = 1e6;
    static constexpr double min_scale = 1e-4;
};
