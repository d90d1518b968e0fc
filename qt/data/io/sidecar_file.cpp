#include "data/io/sidecar_file.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

QString sidecar_refusal(const QString& path, qint64 max_bytes, const QString& what)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QString();
    if (!info.isFile())
        return QCoreApplication::translate("sidecar_file", "is not a regular file");
    if (info.size() > max_bytes) {
        const QLocale c = QLocale::c();
        return QCoreApplication::translate("sidecar_file", "is %1, more than the %2 %3 may be")
            .arg(c.formattedDataSize(info.size(), 1, QLocale::DataSizeSIFormat),
                 c.formattedDataSize(max_bytes, 0, QLocale::DataSizeSIFormat), what);
    }
    return QString();
}
