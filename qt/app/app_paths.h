#pragma once

#include <QDir>
#include <QString>

// Where the program keeps its files under the per-user data location.
class app_paths
{
public:
    // The writable per-user data location; logs it, and logs when it is not available.
    static QString data_location();

    // data_location + "/tiles", created with missing parents when absent. A directory that
    // cannot be created is logged ("Can not create ...") and returned all the same.
    static QDir prepare_tiles_dir(const QString& data_location);
};
