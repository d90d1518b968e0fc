#include "data/io/checked_commit.h"

#include <QSaveFile>

QString checked_commit(QSaveFile& file)
{
    if (!file.isOpen())
        return file.errorString();
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        file.commit(); // removes the temporary file
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

QString checked_save(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        file.commit();
        return reason;
    }
    return checked_commit(file);
}
