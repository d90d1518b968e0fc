#include "data/metrics/applied_calibration.h"

#include "data/io/named_value.h"

#include <QSettings>

applied_calibration applied_calibration::for_tag(const std::optional<burst_calibration>& stored,
                                                 const QString& tag_number)
{
    applied_calibration a;
    a.tag = tag_number;
    if (stored) {
        a.value = stored;
        a.from = source::stored;
    } else if ((a.value = burst_calibration::default_for_tag(tag_number))) {
        a.from = source::default_by_tag;
    }
    return a;
}

applied_calibration applied_calibration::for_tag(QSettings& settings, const QString& key,
                                                 const QString& tag_number, QString* refusal)
{
    return for_tag(burst_calibration::load(settings, key, refusal), tag_number);
}

QString applied_calibration::units() const
{
    return value ? QStringLiteral("g") : QStringLiteral("raw");
}

QString applied_calibration::source_name() const
{
    static constexpr named_value<source> names[] = {
        {source::none, "none"}, {source::stored, "stored"}, {source::default_by_tag, "default-by-tag"}};
    return name_of(names, from, "none");
}

QString applied_calibration::assumption() const
{
    return from == source::default_by_tag ? QStringLiteral("calibration assumed from tag number %1").arg(tag)
                                          : QString();
}
