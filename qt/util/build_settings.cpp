#include "util/build_settings.h"

#include "data/io/sidecar_file.h"

#include <QCoreApplication>
#include <QSettings>

#ifndef DORNVALE_TILE_SERVER_URL_DEFAULT
#define DORNVALE_TILE_SERVER_URL_DEFAULT "https://tile.openstreetmap.org/"
#endif
#ifndef DORNVALE_TILE_ATTRIBUTION_DEFAULT
#define DORNVALE_TILE_ATTRIBUTION_DEFAULT "© OpenStreetMap contributors"
#endif
#ifndef DORNVALE_UPDATE_SERVICE_URL_DEFAULT
#define DORNVALE_UPDATE_SERVICE_URL_DEFAULT "https://updates.dornvale.example/"
#endif

QString build_settings::conf_path()
{
    return QCoreApplication::applicationDirPath() + "/build.conf";
}

QString build_settings::read(const QString& path, const QString& key, const QString& fallback)
{
    const QString text = value(path, key).trimmed();
    return text.isEmpty() ? fallback : text;
}

QString build_settings::value(const QString& path, const QString& key)
{
    // A FIFO would block the start for good; anything but a small regular file is no build.conf.
    const QString refusal = sidecar_refusal(path, 1000 * 1000, QStringLiteral("build.conf"));
    if (!refusal.isEmpty()) {
        qWarning("%s %s: its settings are not read", qPrintable(path), qPrintable(refusal));
        return QString();
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup("build");
    const QString text = settings.value(key, QString()).toString();
    settings.endGroup();
    return text;
}

QString build_settings::with_slash(QString url)
{
    if (!url.endsWith('/'))
        url += '/';
    return url;
}

QString build_settings::tile_server_url()
{
    return with_slash(read(conf_path(), "tile_server", QStringLiteral(DORNVALE_TILE_SERVER_URL_DEFAULT)));
}

QString build_settings::tile_attribution()
{
    return read(conf_path(), "tile_attribution", QString::fromUtf8(DORNVALE_TILE_ATTRIBUTION_DEFAULT));
}

QString build_settings::update_service_url()
{
    return with_slash(
        read(conf_path(), "update_service", QStringLiteral(DORNVALE_UPDATE_SERVICE_URL_DEFAULT)));
}
