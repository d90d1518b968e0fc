#include "batch/activity_batch.h"

#include "batch/batch_files.h"
#include "batch/silenced_streams.h"
#include "data/model/burst_space.h"
#include "data/model/activity_calculator.h"
#include "data/model/activity_csv.h"
#include "views/activity/activity_plot.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <memory>

const char activity_batch::usage[] =
    "usage: dornvale-batch activity [--png OUT.png] [--csv OUT.csv] FILE...\n";

namespace {

const char* const program = batch_files::program;
using batch_files::canonical;
using batch_files::print;
using batch_files::save;
using batch_files::shown;
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
                            std::ostream& out, std::ostream& err)
{
    return batch_files::for_each_animal(file, out, err,
                                        [&](const QString& animal, const QString&, const burst_space& space, QString& done) {
                                            return write_outputs(file, animal, space, wanted, taken, done);
                                        });
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
