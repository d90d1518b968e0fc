#include "data/classify/boosted_trees.h"

#include "data/classify/booster_settings.h"
#include "data/classify/feature_table.h"
#include "data/classify/training_control.h"
#include "data/io/trace.h"

#include <xgboost/c_api.h>

#include <cmath>
#include <mutex>

namespace {

// XGBoost's own messages become debug lines instead of going to standard error.
void xgboost_log(const char* text)
{
    trace_debug() << "xgboost:" << text;
}

void route_log()
{
    static std::once_flag once;
    std::call_once(once, [] { XGBRegisterLogCallback(&xgboost_log); });
}

QString last_error()
{
    return QString::fromUtf8(XGBGetLastError());
}

// A DMatrix freed with the object.
struct matrix
{
    DMatrixHandle h = nullptr;
    ~matrix()
    {
        if (h)
            XGDMatrixFree(h);
    }
};

bool make_matrix(const feature_table& t, int threads, matrix& m, QString* error)
{
    std::vector<float> data(t.values.begin(), t.values.end());
    if (XGDMatrixCreateFromMat_omp(data.data(), bst_ulong(t.rows()), bst_ulong(t.columns()), NAN, &m.h,
                                   threads) != 0) {
        *error = last_error();
        return false;
    }
    return true;
}

bool set_param(BoosterHandle b, const char* name, const QString& value, QString* error)
{
    if (XGBoosterSetParam(b, name, value.toUtf8().constData()) == 0)
        return true;
    *error = last_error();
    return false;
}

} // namespace

boosted_trees::boosted_trees(void* handle, int class_count) : handle_(handle), class_count_(class_count) {}

boosted_trees::~boosted_trees()
{
    XGBoosterFree(handle_);
}

std::vector<float> boosted_trees::class_weights(const std::vector<int>& classes, int class_count)
{
    std::vector<int> counts(size_t(class_count), 0);
    for (int c : classes)
        if (c >= 0 && c < class_count)
            ++counts[size_t(c)];
    int present = 0, n = 0;
    for (int c : counts) {
        present += c > 0;
        n += c;
    }
    std::vector<float> w(size_t(class_count), 0.0f);
    for (size_t c = 0; c < counts.size(); ++c)
        if (counts[c] > 0)
            w[c] = float(double(n) / (double(present) * counts[c]));
    return w;
}

std::unique_ptr<boosted_trees> boosted_trees::train(const feature_table& table, int class_count,
                                                    const booster_settings& settings,
                                                    const training_control& control, int done_before,
                                                    int total_rounds, QString* error)
{
    route_log();
    const feature_table labelled = table.rows_at(table.labelled_rows());
    matrix m;
    if (!make_matrix(labelled, settings.threads, m, error))
        return nullptr;
    std::vector<float> labels(labelled.classes.begin(), labelled.classes.end());
    if (XGDMatrixSetFloatInfo(m.h, "label", labels.data(), bst_ulong(labels.size())) != 0) {
        *error = last_error();
        return nullptr;
    }
    if (settings.weight_classes) {
        const std::vector<float> per_class = class_weights(labelled.classes, class_count);
        std::vector<float> weights;
        weights.reserve(labelled.classes.size());
        for (int c : labelled.classes)
            weights.push_back(per_class[size_t(c)]);
        if (XGDMatrixSetFloatInfo(m.h, "weight", weights.data(), bst_ulong(weights.size())) != 0) {
            *error = last_error();
            return nullptr;
        }
    }
    BoosterHandle b = nullptr;
    if (XGBoosterCreate(&m.h, 1, &b) != 0) {
        *error = last_error();
        return nullptr;
    }
    std::unique_ptr<boosted_trees> trees(new boosted_trees(b, class_count));
    const bool ok = set_param(b, "objective", "multi:softprob", error) &&
                    set_param(b, "num_class", QString::number(class_count), error) &&
                    set_param(b, "max_depth", QString::number(settings.max_depth), error) &&
                    set_param(b, "eta", QString::number(settings.eta, 'g', 17), error) &&
                    set_param(b, "seed", QString::number(settings.seed), error) &&
                    set_param(b, "nthread", QString::number(settings.threads), error) &&
                    set_param(b, "tree_method", labelled.rows() <= exact_up_to ? "exact" : "hist", error) &&
                    set_param(b, "verbosity", "0", error);
    if (!ok)
        return nullptr;
    for (int round = 0; round < settings.rounds; ++round) {
        if (control.cancelled())
            return nullptr;
        if (XGBoosterUpdateOneIter(b, round, m.h) != 0) {
            *error = last_error();
            return nullptr;
        }
        if (control.progress)
            control.progress(done_before + round + 1, total_rounds);
    }
    return trees;
}

std::unique_ptr<boosted_trees> boosted_trees::from_bytes(const QByteArray& bytes, int class_count,
                                                         int threads, QString* error)
{
    route_log();
    BoosterHandle b = nullptr;
    if (XGBoosterCreate(nullptr, 0, &b) != 0) {
        *error = last_error();
        return nullptr;
    }
    std::unique_ptr<boosted_trees> trees(new boosted_trees(b, class_count));
    if (XGBoosterLoadModelFromBuffer(b, bytes.constData(), bst_ulong(bytes.size())) != 0) {
        *error = last_error();
        return nullptr;
    }
    if (!set_param(b, "nthread", QString::number(threads), error))
        return nullptr;
    return trees;
}

QByteArray boosted_trees::to_bytes() const
{
    bst_ulong len = 0;
    const char* data = nullptr;
    if (XGBoosterSaveModelToBuffer(handle_, R"({"format":"ubj"})", &len, &data) != 0)
        return QByteArray();
    return QByteArray(data, int(len));
}

std::vector<float> boosted_trees::probabilities(const feature_table& table, QString* error) const
{
    return probabilities(std::vector<float>(table.values.begin(), table.values.end()), table.rows(),
                         table.columns(), error);
}

std::vector<float> boosted_trees::probabilities(const std::vector<float>& values, int rows, int columns,
                                                QString* error) const
{
    if (rows == 0)
        return {};
    // In-place prediction reads the values where they lie (numpy's array interface), without a DMatrix.
    const QByteArray array =
        QString(R"({"data": [%1, true], "shape": [%2, %3], "typestr": "<f4", "version": 3})")
            .arg(quintptr(values.data()))
            .arg(rows)
            .arg(columns)
            .toLatin1();
    const char config[] = R"({"type": 0, "training": false, "iteration_begin": 0, "iteration_end": 0,)"
                          R"( "strict_shape": false, "missing": NaN, "cache_id": 0})";
    const bst_ulong* shape = nullptr;
    bst_ulong dim = 0;
    const float* out = nullptr;
    if (XGBoosterPredictFromDense(handle_, array.constData(), config, nullptr, &shape, &dim, &out) != 0) {
        *error = last_error();
        return {};
    }
    bst_ulong len = 1;
    for (bst_ulong d = 0; d < dim; ++d)
        len *= shape[d];
    if (len != bst_ulong(rows) * bst_ulong(class_count_)) {
        *error = QString("the booster gives %1 values for %2 rows of %3 classes")
                     .arg(len)
                     .arg(rows)
                     .arg(class_count_);
        return {};
    }
    return std::vector<float>(out, out + len);
}

std::vector<double> boosted_trees::gain_importance(int columns) const
{
    std::vector<double> gain(size_t(columns), 0.0);
    bst_ulong n = 0, dim = 0;
    const char** names = nullptr;
    const bst_ulong* shape = nullptr;
    const float* scores = nullptr;
    if (XGBoosterFeatureScore(handle_, R"({"importance_type":"gain"})", &n, &names, &dim, &shape, &scores) !=
        0)
        return gain;
    // Without names given, XGBoost calls column k "fk".
    for (bst_ulong i = 0; i < n; ++i) {
        bool ok = false;
        const int k = QString::fromUtf8(names[i]).mid(1).toInt(&ok);
        if (ok && k >= 0 && k < columns)
            gain[size_t(k)] = double(scores[i]);
    }
    return gain;
}
