#include "util/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const key = "files/recent";

} // namespace

QStringList recent_files::list()
{
    return QSettings().value(key).toStringList().mid(0, limit);
}

void recent_files::add(const QString& file_name)
{
    const QString path = QFileInfo(file_name).absoluteFilePath();
    QStringList files = list();
    files.removeAll(path);
    files.prepend(path);
    QSettings().setValue(key, QStringList(files.mid(0, limit)));
}

void recent_files::clear()
{
    QSettings().remove(key);
}
