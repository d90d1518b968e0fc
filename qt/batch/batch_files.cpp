#include "batch/batch_files.h"

#include "batch/no_progress.h"
#include "batch/silenced_streams.h"
#include "data/io/checked_commit.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/io/zip_entry_path.h"
#include "data/formats/eobs_file_refusal.h"
#include "data/formats/named_rows.h"
#include "data/formats/header_sniff.h"
#include "data/labels/labels_file.h"
#include "data/tracks/track_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <memory>

const char batch_files::program[] = "dornvale-batch: ";

namespace {

const char* const program = batch_files::program;

} // namespace

QString batch_files::skipped_lines_text(qint64 skipped)
{
    return QStringLiteral("%1 %2 could not be read (a wrong number of fields, an unclosed quote or a line too "
                          "long) and %3 left out")
        .arg(QString::number(skipped), skipped == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
             skipped == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

QString batch_files::off_the_earth_text(qint64 fixes)
{
    return QStringLiteral("%1 %2 a position out of range (a latitude outside -90..90, a longitude outside "
                          "-180..180, or not a number) and %3 left out")
        .arg(QString::number(fixes), fixes == 1 ? QStringLiteral("fix had") : QStringLiteral("fixes had"),
             fixes == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

namespace {

// Why file, named NAME.labels.csv and not read as data, is no input: with the data file beside it
// whose labels it holds, or the names looked for.
QString labels_given_as_data(const QString& file)
{
    const QFileInfo info(file);
    const QString suffix = QStringLiteral(".labels.csv");
    if (!info.fileName().endsWith(suffix, Qt::CaseInsensitive))
        return QString();
    const header_sniff sniff = header_sniff::of_file(file, false);
    if (sniff.reads_as(header_sniff::acceleration) || sniff.reads_as(header_sniff::gps))
        return QString();
    const QString name = info.fileName().chopped(suffix.size());
    const QString labels = QDir::cleanPath(info.absoluteFilePath());
    const QString folder = info.path() == QStringLiteral(".") && !file.startsWith(QStringLiteral("./"))
                               ? QString()
                               : info.path() + QLatin1Char('/');
    const QFileInfoList beside =
        info.dir().entryInfoList({name + QStringLiteral(".*")}, QDir::Files, QDir::Name);
    for (const QFileInfo& data : beside)
        if (QDir::cleanPath(data.absoluteFilePath()) != labels &&
            QDir::cleanPath(labels_file::path_for(data.absoluteFilePath())) == labels)
            return QStringLiteral("A labels file, not data: it holds the labels of %1; give that file.")
                .arg(batch_files::shown(folder + data.fileName()));
    QStringList looked;
    for (const char* ending : {".csv", ".txt", ".zip", ".csv.gz", ".txt.gz"})
        looked << name + QLatin1String(ending);
    return QStringLiteral("A labels file, not data; its data file is not beside it (looked for %1).")
        .arg(batch_files::shown(looked.join(QStringLiteral(", "))));
}

} // namespace

QString batch_files::unplaced_fixes_text(qint64 two_d_or_invalid, qint64 no_time)
{
    QStringList parts;
    const auto fixes = [](qint64 n) { return QString::number(n) + (n == 1 ? " fix" : " fixes"); };
    if (two_d_or_invalid > 0)
        parts << QStringLiteral("%1 left out: 2D or invalid").arg(fixes(two_d_or_invalid));
    if (no_time > 0)
        parts << QStringLiteral("%1 left out: no usable time").arg(fixes(no_time));
    return parts.join(QStringLiteral(", "));
}

QString batch_files::not_a_file(const QString& file)
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
    return labels_given_as_data(file);
}

namespace {

// The animals of a download with both sensors' rows that have fixes but none of animals' bursts.
QStringList animals_with_fixes_only(const QString& file,
                                                    const std::vector<animal_bursts>& animals)
{
    QStringList ids;
    silenced_streams quiet;
    if (!named_rows::names_both_sensors(file))
        return ids;
    no_progress progress;
    const std::unique_ptr<eobs_gps_loader> gps = eobs_gps_loader::guarded(file, &progress);
    if (gps->status != ELS_SUCCESS || !gps->space)
        return ids;
    QSet<QString> with_bursts;
    for (const animal_bursts& a : animals)
        with_bursts.insert(a.id);
    for (const animal_events& a : gps->take_animals())
        if (!with_bursts.contains(a.id))
            ids << a.id;
    return ids;
}

} // namespace

// A path as printed: native separators, and a control character (a newline would split the line)
// written as \n, \r, \t or \xHH.
QString batch_files::shown(const QString& path)
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

void batch_files::print(std::ostream& stream, const QString& line)
{
    stream << line.toLocal8Bit().constData() << std::endl;
}

// Empty on success, else the reason.
QString batch_files::save(const QString& path, const std::function<bool(QSaveFile&, QString&)>& write)
{
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!write(file, reason)) {
        file.cancelWriting();
        return reason.isEmpty() ? file.errorString() : reason;
    }
    return checked_commit(file);
}

// The file a path names, links and ".." resolved: of the folder for a file not written yet, and of
// the archive for an entry of one (no output may replace the archive).
QString batch_files::canonical(const QString& path)
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

// path with "-<animal>" before its last suffix; path itself for no animal.
QSet<QString> batch_files::taken_inputs(const QStringList& files)
{
    QSet<QString> taken;
    for (const QString& file : files)
        taken.insert(canonical(file));
    return taken;
}

QString batch_files::taken_refusal(const QSet<QString>& taken, const QString& path)
{
    return taken.contains(canonical(path))
               ? QStringLiteral("%1 is an input or an earlier output of this run; nothing written")
                     .arg(shown(path))
               : QString();
}

QString batch_files::take(QSet<QString>& taken, const QString& path)
{
    const QString refusal = taken_refusal(taken, path);
    if (refusal.isEmpty())
        taken.insert(canonical(path));
    return refusal;
}

QString batch_files::with_animal(const QString& path, const QString& animal)
{
    if (animal.isNull())
        return path;
    const QFileInfo info(path);
    const QString name = info.completeBaseName() + QLatin1Char('-') + track_file::name_part(animal) +
                         (info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix());
    return info.path() == QStringLiteral(".") && !path.startsWith(QStringLiteral("./"))
               ? name
               : info.path() + QLatin1Char('/') + name;
}

int batch_files::for_each_animal(const QString& file, std::ostream& out, std::ostream& err,
                                 const animal_writer& write)
{
    const auto fail = [&err](const QString& who, const QString& why) {
        batch_files::print(err, program + who + QStringLiteral(": ") + why);
        return 1;
    };
    const QString missing = not_a_file(file);
    if (!missing.isEmpty())
        return fail(shown(file), missing);
    std::unique_ptr<eobs_acc_loader> loaded;
    qint64 skipped = 0;
    QString refusal;
    {
        silenced_streams quiet;
        no_progress progress;
        loaded = eobs_acc_loader::guarded(file, &progress);
        skipped = loaded->skipped_lines;
        if (loaded->status != ELS_READ_FAILED && (loaded->status != ELS_SUCCESS || !loaded->space))
            refusal = eobs_file_refusal::reason(file, header_sniff::acceleration);
    }
    if (loaded->status == ELS_READ_FAILED)
        return fail(shown(file), loaded->reason);
    if (loaded->status != ELS_SUCCESS || !loaded->space)
        return fail(shown(file), refusal.isEmpty() ? QStringLiteral("File format not recognized.")
                                                   : QStringLiteral("The file %1.").arg(refusal));
    // Every animal of the file has outputs of its own, named after it; a file of one keeps the plain names.
    std::vector<animal_bursts> animals = loaded->take_animals();
    const QStringList fixes_only = animals_with_fixes_only(file, animals);
    const bool several = animals.size() + fixes_only.size() > 1;
    int failed = 0;
    for (const QString& id : fixes_only)
        failed += fail(QStringLiteral("%1 (animal %2)").arg(shown(file), shown(id)),
                       QStringLiteral("GPS fixes only, no acceleration bursts; nothing written"));
    for (const animal_bursts& animal : animals) {
        const QString id = several ? (animal.id.isNull() ? QStringLiteral("") : animal.id) : QString();
        const QString who =
            several ? QStringLiteral("%1 (animal %2)").arg(shown(file), shown(animal.id)) : shown(file);
        QString done;
        const QString problem = write(id, animal.id, *animal.space, done);
        if (problem.isEmpty())
            batch_files::print(out, who + QStringLiteral(": ") + done);
        else
            failed += fail(who, problem);
    }
    if (skipped > 0)
        failed +=
            fail(shown(file), skipped_lines_text(skipped));
    return failed;
}

