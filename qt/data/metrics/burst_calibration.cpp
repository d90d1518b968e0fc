#include "data/metrics/burst_calibration.h"

#include <QSettings>

#include <cmath>

namespace {

const char* const axis_names[3] = {"x", "y", "z"};

// Slashes would open a sub-group; a file name used as the tag may hold them.
QString group_of(const QString& tag)
{
    QString safe = tag;
    safe.replace(QLatin1Char('/'), QLatin1Char('|')).replace(QLatin1Char('\\'), QLatin1Char('|'));
    return QStringLiteral("calibration/") + safe;
}

} // namespace

bool burst_calibration::usable(const axis& a)
{
    return std::abs(a.zero) <= max_value && std::abs(a.per_g) <= max_value && std::abs(a.per_g) >= min_scale;
}

std::optional<burst_calibration> burst_calibration::load(QSettings& settings, const QString& tag,
                                                         QString* refusal)
{
    settings.beginGroup(group_of(tag));
    burst_calibration c;
    bool complete = true;
    for (int a = 0; a < 3; ++a) {
        const QString name = QString::fromLatin1(axis_names[a]);
        bool ok_zero = false, ok_scale = false;
        c.axes[a].zero = settings.value(name + QStringLiteral("_zero")).toDouble(&ok_zero);
        c.axes[a].per_g = settings.value(name + QStringLiteral("_per_g")).toDouble(&ok_scale);
        if (complete && ok_zero && ok_scale && !usable(c.axes[a]) && refusal)
            *refusal =
                QStringLiteral("The calibration stored for tag %1 is not used: %2 axis raw value at 0 g %3, "
                               "raw units per g %4 (each must be finite, at most %5 in size, and the "
                               "units per g at least %6).")
                    .arg(tag, name.toUpper(), QString::number(c.axes[a].zero),
                         QString::number(c.axes[a].per_g), QString::number(max_value),
                         QString::number(min_scale));
        complete = complete && ok_zero && ok_scale && usable(c.axes[a]);
    }
    settings.endGroup();
    if (!complete)
        return std::nullopt;
    return c;
}

void burst_calibration::save(QSettings& settings, const QString& tag, const burst_calibration& calibration)
{
    settings.beginGroup(group_of(tag));
    for (int a = 0; a < 3; ++a) {
        const QString name = QString::fromLatin1(axis_names[a]);
        settings.setValue(name + QStringLiteral("_zero"), calibration.axes[a].zero);
        settings.setValue(name + QStringLiteral("_per_g"), calibration.axes[a].per_g);
    }
    settings.endGroup();
}

void burst_calibration::remove(QSettings& settings, const QString& tag)
{
    settings.remove(group_of(tag));
}

std::optional<burst_calibration> burst_calibration::default_for_tag(const QString& tag)
{
    for (const QChar c : tag)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qlonglong number = tag.toLongLong(&ok);
    if (!ok || number < 1)
        return std::nullopt;
    const double g_per_unit = number <= 2241 ? 0.0027 : number <= 4117 ? 0.0022 : 1.0 / 512;
    const double y_sign = number <= 2241 ? 1 : -1;
    burst_calibration c;
    c.axes[0] = {2048, 1 / g_per_unit};
    c.axes[1] = {2048, y_sign / g_per_unit};
    c.axes[2] = {2048, 1 / g_per_unit};
    return c;
}
