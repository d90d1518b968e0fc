#pragma once

#include <QString>

// Deployment settings. Compiled defaults come from CMake; the INI file "build.conf" beside the
// executable (group "build") may override them without a rebuild.
class build_settings
{
public:
    // Path of the build configuration file: the application's directory followed by "/build.conf".
    static QString conf_path();

    // Base URL of the tile server, ending in "/". Key "tile_server".
    static QString tile_server_url();

    // The credit the tile server requires, shown on the map. Key "tile_attribution".
    static QString tile_attribution();

    // Base URL of the update service, ending in "/". Key "update_service".
    static QString update_service_url();

    // Reads key in group "build" of the configuration file at path, trimmed; fallback when absent or
    // empty.
    static QString read(const QString& path, const QString& key, const QString& fallback);

    // Key in group "build" of the configuration file at path as written; empty when absent.
    static QString value(const QString& path, const QString& key);

    // A base URL ending in "/": one is appended if missing.
    static QString with_slash(QString url);
};
