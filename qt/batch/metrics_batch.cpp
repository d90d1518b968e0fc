#include "batch/metrics_batch.h"

#include "batch/batch_arguments.h"
#include "batch/batch_files.h"
#include "data/load/eobs_tag_serial.h"
#include "data/labels/labels_file.h"
#include "data/metrics/applied_calibration.h"
#include "data/metrics/burst_table_csv.h"
#include "data/model/burst_space.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QSettings>

#include <cmath>

const char metrics_batch::usage[] =
    "usage: dornvale-batch metrics [--static-window SECONDS] [--out DIR] FILE...\n";

using batch_files::print;
using batch_files::shown;

QString metrics_batch::output_path(const QString& folder, const QString& data_file, const QString& animal)
{
    const QFileInfo named(data_file);
    const QString name = burst_table_file_name(data_file, animal);
    if (!folder.isEmpty())
        return QDir(folder).filePath(name);
    // Beside a file named without a folder: named without one too, as the activity command does.
    return named.path() == QStringLiteral(".") && !data_file.startsWith(QStringLiteral("./"))
               ? name
               : named.path() + QLatin1Char('/') + name;
}

int metrics_batch::run(const QStringList& args, std::ostream& out, std::ostream& err)
{
    static_window window;
    QString folder;
    batch_arguments line(args, usage, out, err);
    while (line.next_option()) {
        const QString& a = line.option();
        if (a == QStringLiteral("--static-window")) {
            if (std::isnan(window.seconds = line.take_seconds()))
                return batch_arguments::exit_usage;
        } else if (a == QStringLiteral("--out")) {
            if (!line.has_value() || !QFileInfo(line.value()).isDir())
                return line.usage_error(QStringLiteral("--out needs an existing folder"));
            folder = line.take_value();
        } else {
            return line.other_option();
        }
    }
    const QStringList& files = line.files();
    if (files.isEmpty())
        return line.usage_error(QStringLiteral("no input file"));

    QSet<QString> taken = batch_files::taken_inputs(files);
    QSettings settings;
    int failed = 0;
    for (const QString& file : files) {
        // Calibrations are stored as the burst window keeps them: under the tag serial, else the file name.
        const QString serial = eobs_tag_serial(file);
        const QString key = serial.isEmpty() ? QFileInfo(file).fileName() : serial;
        // The label column comes from the labels file beside the data, when there is one.
        const labels_file::result labels = labels_file::read(labels_file::path_for(file));
        if (!labels.failure.isEmpty())
            print(err, batch_files::program + shown(file) + QStringLiteral(": ") + labels.failure +
                           QStringLiteral(" The label column is left empty."));
        for (const QString& warning : labels.warnings)
            print(err, batch_files::program + warning);
        // Labels lost (an unreadable file, lines skipped) fail the run; the tables are written all the same.
        if (!labels.failure.isEmpty() || labels.skipped_lines > 0)
            ++failed;
        failed += batch_files::for_each_animal(
            file, out, err,
            [&](const QString& animal, const QString& id, const burst_space& space, QString& done) {
                const QString path = output_path(folder, file, animal);
                const QString refusal = batch_files::take(taken, path);
                if (!refusal.isEmpty())
                    return refusal;
                const QString tag_number = animal_tag_number(file, animal, space);
                const applied_calibration calibration =
                    animal.isNull() ? applied_calibration::for_tag(settings, key, tag_number)
                                    : applied_calibration::for_tag(std::nullopt, tag_number);
                const std::vector<burst_metrics> metrics =
                    burst_metrics::of_all(space, calibration.value, window);
                const QString reason = batch_files::save(path, [&](QSaveFile& f, QString& why) {
                    const QString labelled = animal.isNull() ? QString() : id;
                    return write_burst_table_csv(
                        f, id, space, metrics, calibration, window,
                        [&](const QString&, qint64 t) { return labels.segments.label_at(labelled, t); },
                        &why);
                });
                if (!reason.isEmpty())
                    return QStringLiteral("can't write %1: %2").arg(shown(path), reason);
                const qint32 bursts = space.entry_count();
                done =
                    QStringLiteral("%1 %2 -> %3")
                        .arg(QString::number(bursts),
                             bursts == 1 ? QStringLiteral("burst") : QStringLiteral("bursts"), shown(path));
                return QString();
            });
    }
    return failed == 0 ? batch_arguments::exit_ok : batch_arguments::exit_file_failed;
}
