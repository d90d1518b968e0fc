// Behaviour classification at field sizes: training the model (default settings, nthread 2) on
// 10,000 labelled bursts of 25 features and 5 behaviours, a full training run with its 5-fold
// validation, and predicting 300,000 bursts. Run with OMP_WAIT_POLICY=passive on a shared machine.
#include "data/classify/behaviour_model.h"
#include "data/classify/boosted_trees.h"
#include "data/classify/booster_settings.h"
#include "data/classify/classifier_training.h"
#include "data/classify/feature_table.h"
#include "data/classify/training_control.h"

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

} // namespace

BENCHMARK_MAIN();
