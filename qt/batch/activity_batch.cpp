#include "batch/activity_batch.h"

#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/io/loader_progress.h"
#include "data/io/trace.h"
#include "data/io/zip_entry_path.h"
#include "data/formats/eobs_file_refusal.h"
#include "data/formats/named_rows.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/model/activity_csv.h"
#include "data/rhythm/day_positions.h"
#include "data/rhythm/rhythm_csv.h"
#include "data/rhythm/rhythm_figures.h"
#include "data/rhythm/sun_schedule.h"
#include "views/activity/activity_plot.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <functional>
#include <memory>
#include <sstream>

const char activity_batch::usage[] =
    "usage: dornvale-batch activity [--png OUT.png] [--csv OUT.csv] FILE...\n";

namespace {

const char program[] = "dornvale-batch: ";

// A batch run is never cancelled and shows no progress.
class no_progress : public loader_progress
{
public:
    bool loader_progress_cancelled() override { return false; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
};

// The readers' and the chain's trace lines are for the interactive program; the batch command's
// own lines are the only ones its caller sees.
class silenced_streams
{
public:
    silenced_streams()
        : out_(trace::sink(trace::stream::out).rdbuf(sink_.rdbuf())),
          err_(trace::sink(trace::stream::err).rdbuf(sink_.rdbuf()))
    {
    }
    ~silenced_streams()
    {
        trace::sink(trace::stream::out).rdbuf(out_);
        trace::sink(trace::stream::err).rdbuf(err_);
    }
    silenced_streams(const silenced_streams&) = delete;
    silenced_streams& operator=(const silenced_streams&) = delete;

private:
    std::ostringstream sink_;
    std::streambuf* out_;
    std::streambuf* err_;
};

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

// Empty on success, else the reason.
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

} // namespace

namespace {

// An animal's identifier as part of a file name: letters, digits, '-', '_' and '.' kept, others '_'.
QString file_name_part(const QString& animal)
{
    QString part;
    for (const QChar c : animal)
        part += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') ? c : QLatin1Char('_');
    return part.isEmpty() ? QStringLiteral("unnamed") : part;
}

// path with "-<animal>" before its last suffix; path itself for no animal.
QString with_animal(const QString& path, const QString& animal)
{
    if (animal.isNull())
        return path;
    const QFileInfo info(path);
    const QString name = info.completeBaseName() + QLatin1Char('-') + file_name_part(animal) +
                         (info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix());
    return info.path() == QStringLiteral(".") && !path.startsWith(QStringLiteral("./"))
               ? name
               : info.path() + QLatin1Char('/') + name;
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

} // namespace

QString activity_batch::output_path(const QString& argument, const QString& data_file, const QString& animal,
                                    const QString& suffix)
{
    const QString beside = activity_export_path(with_animal(data_file, animal), suffix);
    if (argument.isEmpty())
        return beside;
    if (QFileInfo(argument).isDir())
        return QDir(argument).filePath(QFileInfo(beside).fileName());
    return with_animal(argument, animal);
}

QStringList activity_batch::animals_with_fixes_only(const QString& file,
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

int activity_batch::process(const QString& file, const outputs& wanted, QSet<QString>& taken,
                            QString& summary, std::ostream& out, std::ostream& err)
{
    const auto fail = [&err](const QString& who, const QString& why) {
        print(err, program + who + QStringLiteral(": ") + why);
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
    // With --sun: each animal's fixes from the GPS partner (the program's pairing rule), or from the
    // file itself when it holds both sensors' rows; a pair of one animal a side pairs whatever the ids.
    std::vector<animal_events> gps_animals;
    if (wanted.sun) {
        const QString partner = eobs_guess_acc_gps_filenames(file).gps_filename;
        QString gps_file;
        if (!partner.isEmpty() && partner != file && zip_entry_path::exists(partner))
            gps_file = partner;
        else if (named_rows::names_both_sensors(file))
            gps_file = file;
        if (!gps_file.isEmpty()) {
            silenced_streams quiet;
            no_progress progress;
            const std::unique_ptr<eobs_gps_loader> gps = eobs_gps_loader::guarded(gps_file, &progress);
            if (gps->status == ELS_SUCCESS && gps->space)
                gps_animals = gps->take_animals();
        }
    }
    const auto fixes_of = [&](const animal_bursts& animal) -> const event_space* {
        if (animals.size() == 1 && gps_animals.size() == 1)
            return gps_animals.front().space.get();
        for (const animal_events& a : gps_animals)
            if (a.id == animal.id)
                return a.space.get();
        return nullptr;
    };
    for (const QString& id : fixes_only)
        failed += fail(QStringLiteral("%1 (animal %2)").arg(shown(file), shown(id)),
                       QStringLiteral("GPS fixes only, no acceleration bursts; nothing written"));
    for (const animal_bursts& animal : animals) {
        const QString id = several ? (animal.id.isNull() ? QStringLiteral("") : animal.id) : QString();
        const QString who =
            several ? QStringLiteral("%1 (animal %2)").arg(shown(file), shown(animal.id)) : shown(file);
        QString done;
        const QString problem =
            write_outputs(file, id, *animal.space, fixes_of(animal), wanted, taken, summary, done);
        if (problem.isEmpty())
            print(out, who + QStringLiteral(": ") + done);
        else
            failed += fail(who, problem);
    }
    if (skipped > 0)
        failed +=
            fail(shown(file), QStringLiteral("%1 %2 could not be read (a wrong number of fields, an unclosed "
                                             "quote or a line too long) and %3 left out")
                                  .arg(QString::number(skipped),
                                       skipped == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                                       skipped == 1 ? QStringLiteral("was") : QStringLiteral("were")));
    return failed;
}

QString activity_batch::write_outputs(const QString& file, const QString& animal, const burst_space& space,
                                      const event_space* fixes, const outputs& wanted, QSet<QString>& taken,
                                      QString& summary, QString& done)
{
    const QString csv =
        wanted.csv_on ? output_path(wanted.csv, file, animal, QStringLiteral("csv")) : QString();
    const QString png =
        wanted.png_on ? output_path(wanted.png, file, animal, QStringLiteral("png")) : QString();
    // NAME-sun.csv goes beside the other outputs: the CSV's, the picture's, the summary's, else the input's.
    QString sun;
    if (wanted.sun) {
        const QString beside = csv.isEmpty() ? png : csv;
        const QString folder = !beside.isEmpty()            ? QFileInfo(beside).path()
                               : !wanted.summary.isEmpty() ? QFileInfo(wanted.summary).path()
                                                            : QFileInfo(output_path(QString(), file, animal,
                                                                                    QStringLiteral("csv")))
                                                                  .path();
        const QString name = QFileInfo(with_animal(file, animal)).completeBaseName() + QStringLiteral("-sun.csv");
        sun = folder == QStringLiteral(".") ? name : QDir(folder).filePath(name);
    }
    for (const QString& o : {csv, png, sun})
        if (!o.isEmpty() && taken.contains(canonical(o)))
            return QStringLiteral("%1 is an input or an earlier output of this run; nothing written")
                .arg(shown(o));
    for (const QString& o : {csv, png, sun})
        if (!o.isEmpty())
            taken.insert(canonical(o));

    const qint64 offset = qint64(wanted.utc_offset_minutes) * 60000;
    std::unique_ptr<activity_calculator> calc;
    QString refusal;
    {
        silenced_streams quiet;
        refusal = activity_plot_refusal(space, offset);
        if (refusal.isEmpty())
            calc = std::make_unique<activity_calculator>(space, offset);
    }
    if (!refusal.isEmpty())
        return refusal;

    QStringList written;
    if (!csv.isEmpty()) {
        const QString reason =
            save(csv, [&](QSaveFile& f, QString& why) { return write_activity_csv(*calc, f, &why); });
        if (!reason.isEmpty())
            return QStringLiteral("can't write %1: %2").arg(shown(csv), reason);
        written << shown(csv);
    }
    if (!png.isEmpty()) {
        const QString title =
            animal.isNull()
                ? QFileInfo(file).absoluteFilePath()
                : QStringLiteral("%1 (animal %2)").arg(QFileInfo(file).absoluteFilePath(), animal);
        activity_plot_options options;
        options.utc_offset_minutes = wanted.utc_offset_minutes;
        const QImage image = activity_plot_image(*calc, title, options);
        const QString reason = save(png, [&](QSaveFile& f, QString& why) {
            if (image.isNull()) {
                why = QStringLiteral("not enough memory for the image");
                return false;
            }
            why = QStringLiteral("the image could not be encoded");
            return image.save(&f, "png");
        });
        if (!reason.isEmpty())
            return QStringLiteral("can't write %1: %2").arg(shown(png), reason);
        written << shown(png);
    }
    if (!wanted.summary.isEmpty()) {
        summary += rhythm_summary_row(with_animal(file, animal),
                                      rhythm_figures::compute(calc->activities, calc->samples));
        written << shown(wanted.summary) + QStringLiteral(" (a row)");
    }
    if (!sun.isEmpty()) {
        const std::vector<day_position> positions =
            fixes ? day_positions(fixes->events(), calc->plot_begin, calc->duration / activity_day_ms)
                  : std::vector<day_position>();
        if (positions.empty())
            return QStringLiteral("no GPS fixes (no GPS partner file, or none of this animal's); %1 not written")
                .arg(shown(sun));
        const sun_schedule schedule(positions, calc->plot_begin, calc->bin_width);
        const QString reason = save(sun, [&](QSaveFile& f, QString& why) {
            return write_sun_table(schedule, calc->plot_begin, offset, f, &why);
        });
        if (!reason.isEmpty())
            return QStringLiteral("can't write %1: %2").arg(shown(sun), reason);
        written << shown(sun);
    }
    const qint32 bursts = space.entry_count();
    // One arg() call: a "%1" in a file name stays as it is.
    done = QStringLiteral("%1 %2 -> %3")
               .arg(QString::number(bursts), bursts == 1 ? QStringLiteral("burst") : QStringLiteral("bursts"),
                    written.join(QStringLiteral(", ")));
    if (calc->not_finite_samples > 0)
        done +=
            QStringLiteral(" (%1 %2 not a finite number, left out)")
                .arg(calc->not_finite_samples)
                .arg(calc->not_finite_samples == 1 ? QStringLiteral("sample") : QStringLiteral("samples"));
    return QString();
}

int activity_batch::run(const QStringList& args, std::ostream& out, std::ostream& err)
{
    if (args.isEmpty() || args.first() != QStringLiteral("activity")) {
        if (!args.isEmpty() &&
            (args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("-h"))) {
            out << usage;
            return exit_ok;
        }
        if (!args.isEmpty())
            print(err, program + QStringLiteral("unknown command \"%1\"").arg(args.first()));
        err << usage;
        return exit_usage;
    }

    QString csv_arg, png_arg, summary_arg;
    bool csv_on = false, png_on = false, sun_on = false;
    qint32 utc_offset = 0;
    QStringList files;
    bool options_done = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (options_done || !a.startsWith(QLatin1Char('-')) || a == QStringLiteral("-")) {
            files << a;
        } else if (a == QStringLiteral("--")) {
            options_done = true;
        } else if (a == QStringLiteral("--csv") || a == QStringLiteral("--png")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                print(err, program + QStringLiteral("%1 needs a file or folder name").arg(a));
                err << usage;
                return exit_usage;
            }
            (a == QStringLiteral("--csv") ? csv_arg : png_arg) = args[++i];
            (a == QStringLiteral("--csv") ? csv_on : png_on) = true;
        } else if (a == QStringLiteral("--summary")) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty() || QFileInfo(args[i + 1]).isDir()) {
                print(err, program + QStringLiteral("--summary needs a file name"));
                err << usage;
                return exit_usage;
            }
            summary_arg = args[++i];
        } else if (a == QStringLiteral("--sun")) {
            sun_on = true;
        } else if (a == QStringLiteral("--utc-offset")) {
            bool ok = false;
            const int minutes = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok || minutes < -720 || minutes > 840) {
                print(err, program + QStringLiteral("--utc-offset needs whole minutes from -720 to 840"));
                err << usage;
                return exit_usage;
            }
            utc_offset = minutes;
            ++i;
        } else if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            out << usage;
            return exit_ok;
        } else {
            print(err, program + QStringLiteral("unknown option \"%1\"").arg(a));
            err << usage;
            return exit_usage;
        }
    }
    if (files.isEmpty()) {
        print(err, program + QStringLiteral("no input file"));
        err << usage;
        return exit_usage;
    }
    // Without --csv, --png, --summary or --sun the CSV and the PNG are written beside each input.
    if (!csv_on && !png_on && summary_arg.isEmpty() && !sun_on)
        csv_on = png_on = true;
    for (const QString& arg : {csv_arg, png_arg}) {
        if (!arg.isEmpty() && files.size() > 1 && !QFileInfo(arg).isDir()) {
            print(err, program + QStringLiteral(
                                     "\"%1\" must be an existing folder when more than one file is given")
                                     .arg(shown(arg)));
            err << usage;
            return exit_usage;
        }
    }

    int failed = 0;
    // Every input and every output of this run, so that no output replaces an input or an earlier
    // file's output.
    QSet<QString> taken;
    for (const QString& file : files)
        taken.insert(canonical(file));
    if (!summary_arg.isEmpty() && taken.contains(canonical(summary_arg))) {
        print(err, program + QStringLiteral("%1 is an input; the summary would replace it").arg(shown(summary_arg)));
        err << usage;
        return exit_usage;
    }
    if (!summary_arg.isEmpty())
        taken.insert(canonical(summary_arg));
    const outputs wanted{csv_arg, png_arg, csv_on, png_on, summary_arg, sun_on, utc_offset};
    QString summary = QString::fromLatin1(rhythm_summary_header);
    for (const QString& file : files)
        failed += process(file, wanted, taken, summary, out, err);
    if (!summary_arg.isEmpty()) {
        const QString reason = save(summary_arg, [&](QSaveFile& f, QString&) {
            const QByteArray bytes = summary.toUtf8();
            return f.write(bytes) == bytes.size();
        });
        if (!reason.isEmpty()) {
            print(err, program + QStringLiteral("can't write %1: %2").arg(shown(summary_arg), reason));
            ++failed;
        }
    }
    return failed == 0 ? exit_ok : exit_file_failed;
}
