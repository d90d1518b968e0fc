#include "batch/activity_batch.h"

#include "batch/batch_files.h"
#include "batch/no_progress.h"
#include "batch/silenced_streams.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/io/trace.h"
#include "data/io/skipped_lines_log.h"
#include "data/formats/eobs_file_refusal.h"
#include "data/formats/named_rows.h"
#include "data/tracks/track_file.h"
#include "data/model/activity_csv.h"
#include "views/activity/activity_plot.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <memory>

using namespace batch_files;

const char activity_batch::usage[] =
    "usage: dornvale-batch activity [--png OUT.png] [--csv OUT.csv] FILE...\n";

namespace {

// path with "-<animal>" before its last suffix; path itself for no animal.
QString with_animal(const QString& path, const QString& animal)
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
                            std::ostream& out, std::ostream& err)
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
        const qint64 before = skipped_lines_log::tally();
        loaded = eobs_acc_loader::guarded(file, &progress);
        skipped = skipped_lines_log::tally() - before;
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
        const QString problem = write_outputs(file, id, *animal.space, wanted, taken, done);
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
                                      const outputs& wanted, QSet<QString>& taken, QString& done)
{
    const QString csv =
        wanted.csv_on ? output_path(wanted.csv, file, animal, QStringLiteral("csv")) : QString();
    const QString png =
        wanted.png_on ? output_path(wanted.png, file, animal, QStringLiteral("png")) : QString();
    for (const QString& o : {csv, png})
        if (!o.isEmpty() && taken.contains(canonical(o)))
            return QStringLiteral("%1 is an input or an earlier output of this run; nothing written")
                .arg(shown(o));
    for (const QString& o : {csv, png})
        if (!o.isEmpty())
            taken.insert(canonical(o));

    std::unique_ptr<activity_calculator> calc;
    QString refusal;
    {
        silenced_streams quiet;
        refusal = activity_plot_refusal(space);
        if (refusal.isEmpty())
            calc = std::make_unique<activity_calculator>(space);
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
        const QImage image = activity_plot_image(*calc, title, activity_plot_options());
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

    QString csv_arg, png_arg;
    bool csv_on = false, png_on = false;
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
    // Without --csv or --png both are written beside each input.
    if (!csv_on && !png_on)
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
    const outputs wanted{csv_arg, png_arg, csv_on, png_on};
    for (const QString& file : files)
        failed += process(file, wanted, taken, out, err);
    return failed == 0 ? exit_ok : exit_file_failed;
}
