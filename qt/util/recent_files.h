#pragma once

#include <QString>
#include <QStringList>

// The files opened last, newest first, kept in the user's settings.
class recent_files
{
public:
    static constexpr int limit = 10;

    static QStringList list();
    // Puts the absolute path of file_name first, drops an earlier entry of it and keeps at most limit.
    static void add(const QString& file_name);
    static void clear();
};
