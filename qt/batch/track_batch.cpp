#include "batch/track_batch.h"

#include "batch/batch_arguments.h"
#include "batch/batch_files.h"
#include "batch/no_progress.h"
#include "batch/silenced_streams.h"
#include "data/formats/eobs_file_refusal.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/load/eobs_loader.h"
#include "data/tracks/track_file.h"
#include "data/tracks/track_writer.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

using namespace batch_files;

const char track_batch::usage[] =
    "usage: dornvale-batch track --format gpx|kml|geojson [--out DIR] FILE...\n";

namespace {

// The fixes of file, read by the GPS chain; skipped counts its lines that could not be read.
std::unique_ptr<eobs_gps_loader> load_fixes(const QString& file, qint64& skipped, QString& refusal)
{
    silenced_streams quiet;
    no_progress progress;
    std::unique_ptr<eobs_gps_loader> loaded = eobs_gps_loader::guarded(file, &progress);
    skipped = loaded->skipped_lines;
    if (loaded->status != ELS_READ_FAILED && (loaded->status != ELS_SUCCESS || !loaded->space))
        refusal = eobs_file_refusal::reason(file, header_sniff::gps);
    return loaded;
}

QString plural(qint64 n, const char* one, const char* more)
{
    return QString::number(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : more);
}

} // namespace

int track_batch::process(const QString& file, track_format format, const QString& folder,
                         QSet<QString>& taken, std::ostream& out, std::ostream& err)
{
    const auto fail = [&err](const QString& who, const QString& why) {
        print(err, program + who + QStringLiteral(": ") + why);
        return 1;
    };
    const QString missing = not_a_file(file);
    if (!missing.isEmpty())
        return fail(shown(file), missing);
    // An acceleration file's fixes are those of its GPS partner, as the program pairs them; a download
    // with both sensors' rows and no partner holds its own.
    QString source = file;
    const header_sniff sniff = header_sniff::of_file(file, false);
    if (sniff.reads_as(header_sniff::acceleration)) {
        const QString partner = eobs_guess_acc_gps_filenames(file).gps_filename;
        if (!eobs_guess_acc_gps_filenames::existing_gps_partner(file).isEmpty())
            source = partner;
        else if (!sniff.reads_as(header_sniff::gps))
            return fail(
                shown(file),
                partner.isEmpty() || partner == file
                    ? QStringLiteral("an acceleration file, not named as one of a pair with a GPS file")
                    : QStringLiteral("an acceleration file whose GPS partner %1 does not exist")
                          .arg(shown(partner)));
    }
    qint64 skipped = 0;
    QString refusal;
    std::unique_ptr<eobs_gps_loader> loaded = load_fixes(source, skipped, refusal);
    if (loaded->status == ELS_READ_FAILED)
        return fail(shown(source), loaded->reason);
    if (loaded->status != ELS_SUCCESS || !loaded->space)
        return fail(shown(source), refusal.isEmpty() ? QStringLiteral("File format not recognized.")
                                                     : QStringLiteral("The file %1.").arg(refusal));
    const QString into = folder.isEmpty() ? QFileInfo(file).absolutePath() : folder;
    const QString unwritable = track_file::unwritable(into);
    if (!unwritable.isEmpty())
        return fail(shown(file),
                    QStringLiteral("can't write into the folder %1: it %2").arg(shown(into), unwritable));

    std::vector<animal_events> animals = loaded->take_animals();
    const bool several = animals.size() > 1;
    int failed = 0;
    for (const animal_events& animal : animals) {
        // Named as the activity command names its outputs: after the file given, "-ANIMAL" for each of
        // several.
        const QString id = several ? (animal.id.isNull() ? QStringLiteral("") : animal.id) : QString();
        const QString who =
            several ? QStringLiteral("%1 (animal %2)").arg(shown(file), shown(animal.id)) : shown(file);
        const QString path = QDir(into).filePath(track_file::name(file, id, format));
        const QString refusal = take(taken, path);
        if (!refusal.isEmpty()) {
            failed += fail(who, refusal);
            continue;
        }
        const QString title =
            several ? QStringLiteral("%1 (animal %2)").arg(QFileInfo(source).fileName(), animal.id)
                    : QFileInfo(source).fileName();
        const QString reason = track_file::save(path, format, *animal.space, title);
        if (!reason.isEmpty()) {
            failed += fail(who, QStringLiteral("can't write %1: %2").arg(shown(path), reason));
            continue;
        }
        const qint64 unplaced = track_writer::left_out(*animal.space);
        const qint64 fixes = qint64(animal.space->events().size()) - unplaced;
        // One arg() call: a "%1" in a file name stays as it is.
        QString done = QStringLiteral("%1 -> %2").arg(plural(fixes, "fix", "fixes"), shown(path));
        if (unplaced > 0)
            done += QStringLiteral(" (%1 without a position that is a number, left out)")
                        .arg(plural(unplaced, "fix", "fixes"));
        const fixes_left_out& lost = animal.space->left_out;
        if (lost.heights > 0)
            done += QStringLiteral(" (%1 out of range, written without)")
                        .arg(plural(lost.heights, "height", "heights"));
        print(out, who + QStringLiteral(": ") + done);
        // Rows that are no fix are common in a tag's data: said, but no failure.
        const QString unplaced_rows = unplaced_fixes_text(lost.two_d_or_invalid, lost.no_time);
        if (!unplaced_rows.isEmpty())
            print(err, program + who + QStringLiteral(": ") + unplaced_rows);
        if (lost.off_the_earth > 0)
            failed += fail(who, off_the_earth_text(lost.off_the_earth));
    }
    if (skipped > 0)
        failed +=
            fail(shown(source), batch_files::skipped_lines_text(skipped));
    return failed;
}

int track_batch::run(const QStringList& args, std::ostream& out, std::ostream& err)
{
    QString format_arg, folder;
    batch_arguments line(args, usage, out, err);
    while (line.next_option()) {
        const QString& a = line.option();
        if (a == QStringLiteral("--format") || a == QStringLiteral("--out")) {
            if (line.value().isEmpty())
                return line.usage_error(a == QStringLiteral("--format")
                                            ? QStringLiteral("--format needs gpx, kml or geojson")
                                            : QStringLiteral("--out needs a folder name"));
            (a == QStringLiteral("--format") ? format_arg : folder) = line.take_value();
        } else {
            return line.other_option();
        }
    }
    const QStringList& files = line.files();
    track_format format = track_format::gpx;
    if (format_arg.isEmpty())
        return line.usage_error(QStringLiteral("--format gpx, kml or geojson is needed"));
    if (!track_format_from(format_arg, &format))
        return line.usage_error(
            QStringLiteral("unknown format \"%1\" (gpx, kml or geojson)").arg(format_arg));
    if (!folder.isEmpty()) {
        const QString unwritable = track_file::unwritable(folder);
        if (!unwritable.isEmpty())
            return line.usage_error(
                QStringLiteral("can't write into the folder %1: it %2").arg(shown(folder), unwritable));
    }
    if (files.isEmpty())
        return line.usage_error(QStringLiteral("no input file"));

    int failed = 0;
    // Every input and every output of this run, so that no output replaces an input or an earlier one.
    QSet<QString> taken = taken_inputs(files);
    for (const QString& file : files)
        failed += process(file, format, folder, taken, out, err);
    return failed == 0 ? batch_arguments::exit_ok : batch_arguments::exit_file_failed;
}
