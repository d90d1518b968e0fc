#include "batch/train_batch.h"

#include "batch/batch_arguments.h"
#include "batch/batch_files.h"
#include "batch/classify_batch.h"
#include "data/classify/classifier_training.h"
#include "data/classify/feature_table.h"
#include "data/classify/metrics_features.h"
#include "data/classify/model_file.h"
#include "data/classify/training_control.h"
#include "data/labels/label_segments.h"
#include "data/labels/labels_file.h"
#include "data/metrics/applied_calibration.h"
#include "data/model/burst_space.h"

#include <QFileInfo>
#include <QSet>

#include <cmath>

const char train_batch::usage[] =
    "usage: dornvale-batch train --out MODEL.dvmodel [--folds K] [--seed N] [--static-window SECONDS]\n"
    "                            [--replace] FILE...\n";

using batch_files::print;
using batch_files::shown;

int train_batch::run(const QStringList& args, std::ostream& out, std::ostream& err)
{
    booster_settings settings;
    static_window window;
    QString model_path;
    bool replace = false;
    batch_arguments line(args, usage, out, err);
    while (line.next_option()) {
        const QString& a = line.option();
        bool ok = true;
        if (a == "--out" && line.has_value())
            model_path = line.take_value();
        else if (a == "--folds" && line.has_value())
            ok = (settings.folds = line.take_value().toInt()) >= 2;
        else if (a == "--seed" && line.has_value())
            settings.seed = line.take_value().toUInt(&ok);
        else if (a == "--static-window") {
            if (std::isnan(window.seconds = line.take_seconds()))
                return batch_arguments::exit_usage;
        } else if (a == "--replace")
            replace = true;
        else
            return line.other_option();
        if (!ok)
            return line.usage_error(
                QString("%1 needs %2").arg(a, a == "--folds" ? "a number of 2 or more" : "a number"));
    }
    const QStringList& files = line.files();
    if (model_path.isEmpty())
        return line.usage_error("train needs --out MODEL.dvmodel");
    if (files.isEmpty())
        return line.usage_error("no input file");
    // Neither an input nor the labels beside one may become the model, even with --replace.
    QSet<QString> taken = batch_files::taken_inputs(files);
    for (const QString& file : files)
        taken.insert(batch_files::canonical(labels_file::path_for(file)));
    if (taken.contains(batch_files::canonical(model_path))) {
        const QString what = shown(model_path) + " is an input or an input's labels file; nothing written";
        print(err, batch_files::program + what);
        return batch_arguments::exit_file_failed;
    }
    if (QFileInfo::exists(model_path) && !replace) {
        print(err, batch_files::program + shown(model_path) + ": exists; give --replace to write over it");
        return batch_arguments::exit_file_failed;
    }

    feature_table table;
    int failed = 0;
    QString units;
    for (const QString& file : files) {
        label_segments labels;
        failed += classify_batch::for_each_animal(
            file, window, labels, out, err,
            [&](const QString& animal, const QString& id, const burst_space& space,
                const std::vector<burst_metrics>& metrics, const applied_calibration& calibration,
                QString& done) {
                if (units.isEmpty()) {
                    units = calibration.units();
                    table = metrics_features::table(units, {}, window);
                } else if (calibration.units() != units)
                    return QString("its figures are in %1 units, the files before in %2; left out")
                        .arg(calibration.units(), units);
                const int before = int(table.labelled_rows().size());
                // Animals of different files are told apart by file for the validation.
                const QString who = id.isEmpty() ? QFileInfo(file).fileName() : id;
                metrics_features::append(table, who, space, metrics, &labels, animal);
                done = QString("%1 bursts, %2 labelled")
                           .arg(space.entry_count())
                           .arg(int(table.labelled_rows().size()) - before);
                return QString();
            });
    }
    if (failed > 0) {
        print(err, QString(batch_files::program) + "no model written: not every file was read");
        return batch_arguments::exit_file_failed;
    }
    out << "seed " << settings.seed << ", " << settings.rounds << " rounds, depth " << settings.max_depth
        << ", learning rate " << settings.eta << "\n";
    const training_outcome o = classifier_training::run(table, {}, settings, {});
    if (!o.error.isEmpty()) {
        print(err, batch_files::program + o.error);
        return batch_arguments::exit_file_failed;
    }
    for (const validation_result& v : o.validations)
        out << v.text().toStdString() << "\n";
    QString error;
    if (!model_file::write(model_path, o.model, &error)) {
        print(err, batch_files::program + error);
        return batch_arguments::exit_file_failed;
    }
    print(out, QString("model of %1 behaviours -> %2").arg(o.model.classes.size()).arg(shown(model_path)));
    return batch_arguments::exit_ok;
}
