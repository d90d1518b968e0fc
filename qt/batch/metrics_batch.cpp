#include "batch/metrics_batch.h"

#include "batch/activity_batch.h"
#include "batch/batch_files.h"
#include "data/formats/eobs_tag_serial.h"
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
    const QFileInfo named(batch_files::with_animal(data_file, animal));
    const QString name = named.completeBaseName() + QStringLiteral("-metrics.csv");
    return folder.isEmpty() ? named.dir().filePath(name) : QDir(folder).filePath(name);
}

int metrics_batch::run(const QStringList& args, std::ostream& out, std::ostream& err)
{
    const auto usage_error = [&err](const QString& why) {
        print(err, batch_files::program + why);
        err << usage;
        return activity_batch::exit_usage;
    };
    static_window window;
    QString folder;
    QStringList files;
    bool options_done = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (options_done || !a.startsWith(QLatin1Char('-')) || a == QStringLiteral("-")) {
            files << a;
        } else if (a == QStringLiteral("--")) {
            options_done = true;
        } else if (a == QStringLiteral("--static-window")) {
            bool ok = false;
            const double seconds = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
            if (!ok || !std::isfinite(seconds) || seconds <= 0)
                return usage_error(QStringLiteral("--static-window needs a number of seconds above 0"));
            window.seconds = seconds;
            ++i;
        } else if (a == QStringLiteral("--out")) {
            if (i + 1 >= args.size() || !QFileInfo(args[i + 1]).isDir())
                return usage_error(QStringLiteral("--out needs an existing folder"));
            folder = args[++i];
        } else if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            out << usage;
            return activity_batch::exit_ok;
        } else {
            return usage_error(QStringLiteral("unknown option \"%1\"").arg(a));
        }
    }
    if (files.isEmpty())
        return usage_error(QStringLiteral("no input file"));

    QSet<QString> taken; // inputs and outputs of this run: no output replaces either
    for (const QString& file : files)
        taken.insert(batch_files::canonical(file));
    QSettings settings;
    int failed = 0;
    for (const QString& file : files) {
        // Calibrations are stored as the burst window keeps them: under the tag serial, else the file name.
        const QString serial = eobs_tag_serial(file);
        const QString key = serial.isEmpty() ? QFileInfo(file).fileName() : serial;
        const QString tag_number = eobs_tag_number(file);
        failed += batch_files::for_each_animal(
            file, out, err, [&](const QString& animal, const QString& id, const burst_space& space, QString& done) {
                const QString path = output_path(folder, file, animal);
                if (taken.contains(batch_files::canonical(path)))
                    return QStringLiteral("%1 is an input or an earlier output of this run; nothing written")
                        .arg(shown(path));
                taken.insert(batch_files::canonical(path));
                // The file's first line names the tag of a file of one animal only.
                const applied_calibration calibration =
                    animal.isNull() ? applied_calibration::for_tag(settings, key, tag_number)
                                    : applied_calibration::for_tag(std::nullopt, QString());
                const std::vector<burst_metrics> metrics =
                    burst_metrics::of_all(space, calibration.value, window);
                const QString reason = batch_files::save(path, [&](QSaveFile& f, QString& why) {
                    return write_burst_table_csv(f, id, space, metrics, calibration, window, {}, &why);
                });
                if (!reason.isEmpty())
                    return QStringLiteral("can't write %1: %2").arg(shown(path), reason);
                const qint32 bursts = space.entry_count();
                done = QStringLiteral("%1 %2 -> %3")
                           .arg(QString::number(bursts),
                                bursts == 1 ? QStringLiteral("burst") : QStringLiteral("bursts"), shown(path));
                return QString();
            });
    }
    return failed == 0 ? activity_batch::exit_ok : activity_batch::exit_file_failed;
}
