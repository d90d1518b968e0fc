// Behaviour classification at field sizes: training the model (default settings, nthread 2) on
// 10,000 labelled bursts of 25 features and 5 behaviours, a full training run with its 5-fold
// validation, and predicting 300,000 bursts; and the accuracy on the labelled example against its
// ground truth. Run with OMP_WAIT_POLICY=passive on a shared machine.
#include "data/classify/behaviour_model.h"
#include "data/classify/boosted_trees.h"
#include "data/classify/booster_settings.h"
#include "data/classify/classifier_training.h"
#include "data/classify/feature_table.h"
#include "data/classify/metrics_features.h"
#include "data/classify/training_control.h"
#include "data/io/loader_progress.h"
#include "data/labels/labels_file.h"
#include "data/load/eobs_loader.h"
#include "data/metrics/applied_calibration.h"
#include "data/metrics/burst_metrics.h"
#include "data/model/burst.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int features = 25;
constexpr int behaviours = 5;

// Each behaviour shifts every feature by its own amount; the spread makes neighbours overlap a little.
feature_table bursts(int rows, quint32 seed, bool labelled)
{
    feature_table t;
    for (int f = 0; f < features; ++f) {
        t.features << QString("f%1").arg(f);
        t.units << "g";
    }
    for (int c = 0; c < behaviours; ++c)
        t.class_names << QString("behaviour %1").arg(c);
    std::mt19937 random(seed);
    std::normal_distribution<double> spread(0.0, 1.0);
    std::vector<double> row(features);
    for (int r = 0; r < rows; ++r) {
        const int c = int(random() % behaviours);
        for (int f = 0; f < features; ++f)
            row[size_t(f)] = ((c * 7 + f * 3) % 5) * 0.8 + spread(random);
        t.add_row(row, labelled ? c : feature_table::no_class, QString("animal %1").arg(r % 4));
    }
    return t;
}

void train_10000(benchmark::State& state)
{
    const feature_table t = bursts(10000, 1, true);
    booster_settings s;
    QString error;
    for (auto _ : state)
        benchmark::DoNotOptimize(boosted_trees::train(t, behaviours, s, {}, 0, s.rounds, &error));
}
BENCHMARK(train_10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void validate_and_train_10000(benchmark::State& state)
{
    const feature_table t = bursts(10000, 1, true);
    booster_settings s;
    for (auto _ : state) {
        const training_outcome o = classifier_training::run(t, {}, s, {});
        state.counters["accuracy"] = o.validations.front().accuracy();
    }
}
BENCHMARK(validate_and_train_10000)->Unit(benchmark::kMillisecond)->Iterations(1);

void predict_300000(benchmark::State& state)
{
    const training_outcome o = classifier_training::run(bursts(2000, 1, true), {}, booster_settings{}, {});
    const feature_table t = bursts(300000, 2, false);
    QString error;
    for (auto _ : state)
        benchmark::DoNotOptimize(o.model.predict(t, &error));
}
BENCHMARK(predict_300000)->Unit(benchmark::kMillisecond)->Iterations(3);

struct no_progress : loader_progress
{
    bool loader_progress_cancelled() override { return false; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
};

// examples/stork4711_acc.txt, every burst labelled: the 5-fold accuracy, and the accuracy on days 2
// and 3 of a model trained on the labels of day 1.
void example_accuracy(benchmark::State& state)
{
    const QString path = DORNVALE_EXAMPLES_DIR "/stork4711_acc.txt";
    no_progress progress;
    eobs_acc_loader loaded(path, &progress);
    const labels_file::result labels = labels_file::read(labels_file::path_for(path));
    if (!loaded.space || !labels.failure.isEmpty()) {
        state.SkipWithError("the example does not load");
        return;
    }
    const applied_calibration calibration = applied_calibration::for_tag(std::nullopt, "4711");
    const auto metrics = burst_metrics::of_all(*loaded.space, calibration.value, {});
    feature_table all = metrics_features::table(calibration.units(), {}, static_window{});
    metrics_features::append(all, "stork", *loaded.space, metrics, &labels.segments, QString());
    const qint64 day2 = QDateTime(QDate(2014, 5, 3), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    for (auto _ : state) {
        const training_outcome o = classifier_training::run(all, {}, booster_settings{}, {});
        state.counters["kfold_accuracy"] = o.validations.front().accuracy();
        feature_table day1 = all;
        for (int r = 0; r < all.rows(); ++r)
            if (loaded.space->entry(r).burst->start_timestamp >= day2)
                day1.classes[size_t(r)] = feature_table::no_class;
        const training_outcome d = classifier_training::run(day1, {}, booster_settings{}, {});
        QString error;
        const std::vector<prediction> p = d.model.predict(all, &error);
        int right = 0, later = 0;
        for (int r = 0; r < all.rows(); ++r)
            if (loaded.space->entry(r).burst->start_timestamp >= day2) {
                ++later;
                right += d.model.classes.value(p[size_t(r)].cls) == all.class_names.value(all.classes[size_t(r)]);
            }
        state.counters["day1_model_accuracy_days2_3"] = later ? double(right) / later : 0.0;
    }
}
BENCHMARK(example_accuracy)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
