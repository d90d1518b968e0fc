#include "data/metrics/static_window_setting.h"

#include <QSettings>

#include <algorithm>

namespace {

const char key[] = "metrics/static_window_s";

} // namespace

static_window_setting& static_window_setting::instance()
{
    static static_window_setting* setting = new static_window_setting;
    return *setting;
}

static_window static_window_setting::window() const
{
    return static_window{std::max(0.0, QSettings().value(QLatin1String(key), 0.0).toDouble())};
}

void static_window_setting::set(const static_window& window)
{
    QSettings().setValue(QLatin1String(key), window.seconds);
    emit changed();
}
