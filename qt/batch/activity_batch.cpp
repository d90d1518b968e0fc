#include "batch/activity_batch.h"

#include "batch/batch_arguments.h"
#include "batch/batch_files.h"
#include "batch/no_progress.h"
#include "batch/silenced_streams.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/io/loader_progress.h"
#include "data/formats/named_rows.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/model/activity_calculator.h"
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

#include <memory>

const char activity_batch::usage[] =
    "usage: dornvale-batch activity [--png OUT.png] [--csv OUT.csv] [--summary OUT.csv] [--sun]\n"
    "                               [--utc-offset MINUTES] [--figure OUT.png|svg|pdf] FILE...\n";

namespace {

const char* const program = batch_files::program;
using batch_files::canonical;
using batch_files::print;
using batch_files::save;
using batch_files::shown;
using batch_files::taken_inputs;
using batch_files::taken_refusal;
using batch_files::with_animal;

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

int activity_batch::process(const QString& file, const outputs& wanted, QSet<QString>& taken,
                            QString& summary, std::ostream& out, std::ostream& err)
{
    // With --sun: each animal's fixes from the GPS partner (the program's pairing rule), or from the
    // file itself when it holds both sensors' rows; a pair of one animal a side pairs whatever the ids.
    std::vector<animal_events> gps_animals;
    int failed = 0;
    const auto fail = [&err, &failed](const QString& who, const QString& why) {
        print(err, program + who + QStringLiteral(": ") + why);
        ++failed;
    };
    if (wanted.sun) {
        QString gps_file = eobs_guess_acc_gps_filenames::existing_gps_partner(file);
        if (gps_file.isEmpty() && named_rows::names_both_sensors(file))
            gps_file = file;
        std::unique_ptr<eobs_gps_loader> gps;
        if (!gps_file.isEmpty()) {
            silenced_streams quiet;
            no_progress progress;
            gps = eobs_gps_loader::guarded(gps_file, &progress);
        }
        // A partner's lost lines are said here; the file's own, by the reading of its bursts.
        if (gps && gps_file != file && gps->status == ELS_READ_FAILED)
            fail(shown(gps_file), gps->reason);
        if (gps && gps_file != file && gps->skipped_lines > 0)
            fail(shown(gps_file), batch_files::skipped_lines_text(gps->skipped_lines));
        if (gps && gps->status == ELS_SUCCESS && gps->space)
            gps_animals = gps->take_animals();
        for (const animal_events& a : gps_animals)
            if (a.space->left_out.off_the_earth > 0)
                fail(gps_animals.size() > 1
                         ? QStringLiteral("%1 (animal %2)").arg(shown(gps_file), shown(a.id))
                         : shown(gps_file),
                     batch_files::off_the_earth_text(a.space->left_out.off_the_earth));
    }
    const auto fixes_of = [&](const QString& animal, const QString& id) -> const event_space* {
        if (animal.isNull() && gps_animals.size() == 1)
            return gps_animals.front().space.get();
        for (const animal_events& a : gps_animals)
            if (a.id == id)
                return a.space.get();
        return nullptr;
    };
    failed += batch_files::for_each_animal(
        file, out, err,
        [&](const QString& animal, const QString& id, const burst_space& space, QString& done) {
            return write_outputs(file, animal, space, fixes_of(animal, id), wanted, taken, summary, done);
        });
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
    // A folder takes NAME-activity-figure.png.
    const QString figure = !wanted.figure_on ? QString()
                           : QFileInfo(wanted.figure).isDir()
                               ? QDir(wanted.figure)
                                     .filePath(QFileInfo(with_animal(file, animal)).completeBaseName() +
                                               QStringLiteral("-activity-figure.png"))
                               : with_animal(wanted.figure, animal);
    // NAME-sun.csv goes beside the other outputs: the CSV's, the picture's, the summary's, else the input's.
    QString sun;
    if (wanted.sun) {
        const QString beside = csv.isEmpty() ? png : csv;
        const QString folder =
            !beside.isEmpty() ? QFileInfo(beside).path()
            : !wanted.summary.isEmpty()
                ? QFileInfo(wanted.summary).path()
                : QFileInfo(output_path(QString(), file, animal, QStringLiteral("csv"))).path();
        const QString name =
            QFileInfo(with_animal(file, animal)).completeBaseName() + QStringLiteral("-sun.csv");
        sun = folder == QStringLiteral(".") ? name : QDir(folder).filePath(name);
    }
    for (const QString& o : {csv, png, sun, figure}) {
        const QString refusal = o.isEmpty() ? QString() : taken_refusal(taken, o);
        if (!refusal.isEmpty())
            return refusal;
    }
    for (const QString& o : {csv, png, sun, figure})
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
    if (!figure.isEmpty()) {
        // PNG at twice the figure's size, for print.
        const QString title = animal.isNull()
                                  ? QFileInfo(file).fileName()
                                  : QStringLiteral("%1 (animal %2)").arg(QFileInfo(file).fileName(), animal);
        activity_plot_options options;
        options.utc_offset_minutes = wanted.utc_offset_minutes;
        const QString reason = save_activity_figure(figure, QFileInfo(figure).suffix().toLower().toLatin1(),
                                                    2, *calc, title, options);
        if (!reason.isEmpty())
            return QStringLiteral("can't write %1: %2").arg(shown(figure), reason);
        written << shown(figure);
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
            return QStringLiteral(
                       "no GPS fixes (no GPS partner file, or none of this animal's); %1 not written")
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
            return batch_arguments::exit_ok;
        }
        if (!args.isEmpty())
            print(err, program + QStringLiteral("unknown command \"%1\"").arg(args.first()));
        err << usage;
        return batch_arguments::exit_usage;
    }

    QString csv_arg, png_arg, summary_arg, figure_arg;
    bool csv_on = false, png_on = false, sun_on = false, figure_on = false;
    qint32 utc_offset = 0;
    batch_arguments line(args, usage, out, err);
    while (line.next_option()) {
        const QString& a = line.option();
        if (a == QStringLiteral("--csv") || a == QStringLiteral("--png")) {
            if (line.value().isEmpty())
                return line.usage_error(QStringLiteral("%1 needs a file or folder name").arg(a));
            (a == QStringLiteral("--csv") ? csv_arg : png_arg) = line.take_value();
            (a == QStringLiteral("--csv") ? csv_on : png_on) = true;
        } else if (a == QStringLiteral("--figure")) {
            const QString suffix = QFileInfo(line.value()).suffix().toLower();
            if (line.value().isEmpty() ||
                (!QFileInfo(line.value()).isDir() && suffix != QStringLiteral("png") &&
                 suffix != QStringLiteral("svg") && suffix != QStringLiteral("pdf")))
                return line.usage_error(
                    QStringLiteral("--figure needs a folder or a .png, .svg or .pdf file name"));
            figure_arg = line.take_value();
            figure_on = true;
        } else if (a == QStringLiteral("--summary")) {
            if (line.value().isEmpty() || QFileInfo(line.value()).isDir())
                return line.usage_error(QStringLiteral("--summary needs a file name"));
            summary_arg = line.take_value();
        } else if (a == QStringLiteral("--sun")) {
            sun_on = true;
        } else if (a == QStringLiteral("--utc-offset")) {
            bool ok = false;
            const int minutes = line.value().toInt(&ok);
            if (!ok || minutes < -720 || minutes > 840)
                return line.usage_error(QStringLiteral("--utc-offset needs whole minutes from -720 to 840"));
            utc_offset = minutes;
            line.take_value();
        } else {
            return line.other_option();
        }
    }
    const QStringList& files = line.files();
    if (files.isEmpty())
        return line.usage_error(QStringLiteral("no input file"));
    // Without --csv, --png, --summary, --sun or --figure the CSV and the PNG are written beside each input.
    if (!csv_on && !png_on && summary_arg.isEmpty() && !sun_on && !figure_on)
        csv_on = png_on = true;
    for (const QString& arg : {csv_arg, png_arg, figure_arg}) {
        if (!arg.isEmpty() && files.size() > 1 && !QFileInfo(arg).isDir()) {
            return line.usage_error(
                QStringLiteral("\"%1\" must be an existing folder when more than one file is given")
                    .arg(shown(arg)));
        }
    }

    int failed = 0;
    // Every input and every output of this run, so that no output replaces an input or an earlier
    // file's output.
    QSet<QString> taken = taken_inputs(files);
    if (!summary_arg.isEmpty() && taken.contains(canonical(summary_arg))) {
        return line.usage_error(
            QStringLiteral("%1 is an input; the summary would replace it").arg(shown(summary_arg)));
    }
    if (!summary_arg.isEmpty())
        taken.insert(canonical(summary_arg));
    const outputs wanted{csv_arg, png_arg,    csv_on,     png_on,   summary_arg,
                         sun_on,  utc_offset, figure_arg, figure_on};
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
    return failed == 0 ? batch_arguments::exit_ok : batch_arguments::exit_file_failed;
}
