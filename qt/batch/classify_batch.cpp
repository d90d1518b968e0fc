#include "batch/classify_batch.h"

#include "batch/batch_arguments.h"
#include "batch/batch_files.h"
#include "data/classify/behaviour_model.h"
#include "data/classify/feature_table.h"
#include "data/classify/metrics_features.h"
#include "data/classify/model_file.h"
#include "data/io/csv_text.h"
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

const char classify_batch::usage[] =
    "usage: dornvale-batch classify --model MODEL.dvmodel [--out DIR] FILE...\n";

using batch_files::print;
using batch_files::shown;

int classify_batch::for_each_animal(const QString& file, const static_window& window, label_segments& labels,
                                    std::ostream& out, std::ostream& err, const animal_reader& read)
{
    const QString labels_path = labels_file::path_for(file);
    const labels_file::result got = labels_file::read(labels_path);
    for (const QString& w : got.warnings)
        print(err, batch_files::program + w);
    if (!got.failure.isEmpty()) {
        print(err, batch_files::program + shown(labels_path) + ": " + got.failure);
        return 1;
    }
    labels = got.segments;
    // Label rows skipped are lost to this run: said above, and the run fails though outputs are written.
    const int lost = got.skipped_lines > 0 ? 1 : 0;
    // Calibrations are found as the metrics command finds them.
    const QString serial = eobs_tag_serial(file);
    const QString key = serial.isEmpty() ? QFileInfo(file).fileName() : serial;
    QSettings settings;
    const int failed = batch_files::for_each_animal(
        file, out, err,
        [&](const QString& animal, const QString& id, const burst_space& space, QString& done) {
            const QString tag_number = animal_tag_number(file, animal, space);
            const applied_calibration calibration =
                animal.isNull() ? applied_calibration::for_tag(settings, key, tag_number)
                                : applied_calibration::for_tag(std::nullopt, tag_number);
            const std::vector<burst_metrics> metrics = burst_metrics::of_all(space, calibration.value, window);
            return read(animal, id, space, metrics, calibration, done);
        });
    return failed + lost;
}

int classify_batch::run(const QStringList& args, std::ostream& out, std::ostream& err)
{
    QString folder, model_path;
    batch_arguments line(args, usage, out, err);
    while (line.next_option()) {
        const QString& a = line.option();
        if (a == "--model" && line.has_value()) {
            model_path = line.take_value();
        } else if (a == "--out") {
            if (!line.has_value() || !QFileInfo(line.value()).isDir())
                return line.usage_error("--out needs an existing folder");
            folder = line.take_value();
        } else {
            return line.other_option();
        }
    }
    const QStringList& files = line.files();
    if (model_path.isEmpty())
        return line.usage_error("--model names no model file");
    if (files.isEmpty())
        return line.usage_error("no input file");
    // A model that is not there is named as given, as every input is.
    const QString missing = batch_files::not_a_file(model_path);
    if (!missing.isEmpty()) {
        print(err, batch_files::program + shown(model_path) + ": " + missing);
        return batch_arguments::exit_file_failed;
    }
    QString error;
    const std::optional<behaviour_model> model = model_file::read(model_path, &error);
    if (!model) {
        print(err, batch_files::program + error);
        return batch_arguments::exit_file_failed;
    }
    QSet<QString> taken = batch_files::taken_inputs(files);
    int failed = 0;
    for (const QString& file : files) {
        label_segments labels;
        // The figures are computed as the model's were.
        failed += for_each_animal(
            file, model->window, labels, out, err,
            [&](const QString& animal, const QString& id, const burst_space& space,
                const std::vector<burst_metrics>& metrics, const applied_calibration& calibration,
                QString& done) {
                feature_table table = metrics_features::table(calibration.units(), {}, model->window);
                metrics_features::append(table, id, space, metrics, nullptr, QString());
                const QString refusal = model->fit_refusal(table);
                if (!refusal.isEmpty())
                    return QString("%1 does not fit: %2; nothing written").arg(shown(model_path), refusal);
                QString why;
                const std::vector<prediction> predicted = model->predict(table, &why);
                if (predicted.size() != size_t(table.rows()))
                    return QString("cannot predict: %1").arg(why);
                const QFileInfo named(batch_files::with_animal(file, animal));
                const QString name = named.completeBaseName() + "-classified.csv";
                const QString path =
                    folder.isEmpty() ? named.dir().filePath(name) : QDir(folder).filePath(name);
                const QString taken_already = batch_files::take(taken, path);
                if (!taken_already.isEmpty())
                    return taken_already;
                const burst_label_lookup label_of = [&](const QString&, qint64 start) {
                    return labels.label_at(animal, start);
                };
                const burst_table_columns predictions{
                    ",predicted,probability", [&](qint32 burst) {
                        const prediction& p = predicted[std::size_t(burst)];
                        return ',' + csv_text_for_sheets(model->classes.value(p.cls)) + ',' +
                               QByteArray::number(p.probability, 'f', 4);
                    }};
                const QString reason = batch_files::save(path, [&](QSaveFile& f, QString& w) {
                    return write_burst_table_csv(f, id, space, metrics, calibration, model->window, label_of, &w,
                                                 predictions);
                });
                if (!reason.isEmpty())
                    return QString("can't write %1: %2").arg(shown(path), reason);
                done = QString("%1 bursts classified -> %2").arg(predicted.size()).arg(shown(path));
                return QString();
            });
    }
    return failed == 0 ? batch_arguments::exit_ok : batch_arguments::exit_file_failed;
}
