#include "batch/batch_files.h"

#include "data/io/zip_entry_path.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace batch_files {

const char program[] = "dornvale-batch: ";

// A path as printed: native separators, and a control character (a newline would split the line)
// written as \n, \r, \t or \xHH.
QString shown(const QString& path)
{
    QString text;
    for (const QChar c : QDir::toNativeSeparators(path)) {
        if (c == QLatin1Char('\n'))
            text += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            text += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            text += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}

void print(std::ostream& stream, const QString& line)
{
    stream << line.toLocal8Bit().constData() << std::endl;
}

QString save(const QString& path, const std::function<bool(QSaveFile&, QString&)>& write)
{
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!write(file, reason)) {
        file.cancelWriting();
        return reason.isEmpty() ? file.errorString() : reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

// The file a path names, links and ".." resolved: of the folder for a file not written yet, and of
// the archive for an entry of one (no output may replace the archive).
QString canonical(const QString& path)
{
    QString archive, entry;
    if (zip_entry_path::split(path, &archive, &entry))
        return canonical(archive);
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// The file's readability as the batch checks it before reading: empty when it may be read.
QString not_a_file(const QString& file)
{
    // Qt reads names as UTF-8 (or the locale's encoding): other bytes become U+FFFD and are lost.
    if (!QFileInfo::exists(file) && file.contains(QChar::ReplacementCharacter))
        return QStringLiteral(
            "The name is not valid in this system's encoding (shown with \uFFFD); this program "
            "can't open it: rename the file.");
    if (!QFileInfo::exists(file))
        return QStringLiteral("File does not exist.");
    if (QFileInfo(file).isDir())
        return QStringLiteral("Is a folder, not a file.");
    return QString();
}


} // namespace batch_files
