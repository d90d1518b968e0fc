#include "data/classify/booster_refusal.h"

#include "data/classify/booster_settings.h"
#include "data/classify/ubjson_value.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

namespace {

using kind = ubjson_value::kind;

// The member at the end of a path of object names; null when any is missing.
const ubjson_value* at_path(const ubjson_value* v, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        v = v && v->type() == kind::object ? v->member(name) : nullptr;
    return v;
}

// XGBoost keeps its parameters as text, "3" for 3; -1 for anything else.
qint64 parameter(const ubjson_value* v)
{
    bool ok = false;
    const qint64 n = v && v->type() == kind::string ? v->text().toLongLong(&ok) : -1;
    return ok ? n : -1;
}

bool is_text(const ubjson_value* v, const char* text)
{
    return v && v->type() == kind::string && v->text() == text;
}

bool is_empty(const ubjson_value* v, kind type)
{
    return v && v->type() == type && v->size() == 0;
}

// Integer i of a node array, or a value no index can take.
qint64 index_at(const ubjson_value& a, qint64 i)
{
    const double x = a.at(i);
    return std::isfinite(x) && std::abs(x) < 1e15 ? qint64(x) : std::numeric_limits<qint64>::min();
}

QString tree_refusal(const ubjson_value& tree, qint64 t, int features, int max_depth, qint64* nodes_in_all)
{
    const QString which = QString("its tree %1").arg(t);
    const qint64 n = parameter(at_path(&tree, {"tree_param", "num_nodes"}));
    const ubjson_value* id = at_path(&tree, {"id"});
    if (!id || id->type() != kind::number || id->number() != double(t))
        return which + " has the wrong number";
    if (n < 1)
        return which + " has no nodes";
    if ((*nodes_in_all += n) > booster_refusal::max_nodes)
        return QString("its trees hold more than %1 nodes").arg(booster_refusal::max_nodes);
    const qint64 deleted = parameter(at_path(&tree, {"tree_param", "num_deleted"}));
    if (parameter(at_path(&tree, {"tree_param", "num_feature"})) != features || deleted < 0 || deleted >= n ||
        parameter(at_path(&tree, {"tree_param", "size_leaf_vector"})) != 0)
        return which + " has parameters other than the model's";
    std::vector<const ubjson_value*> a;
    for (const char* name :
         {"left_children", "right_children", "parents", "split_indices", "split_conditions", "default_left",
          "base_weights", "loss_changes", "sum_hessian", "split_type"}) {
        a.push_back(tree.member(name));
        if (!a.back() || a.back()->type() != kind::typed_array || a.back()->size() != n)
            return which + QString(" has no %1 of its %2 nodes").arg(name).arg(n);
    }
    for (const char* name : {"categories", "categories_nodes", "categories_segments", "categories_sizes"})
        if (!is_empty(tree.member(name), kind::typed_array))
            return which + " splits on categories";
    const ubjson_value &left = *a[0], &right = *a[1], &parent = *a[2], &feature = *a[3], &value = *a[4],
                       &split_type = *a[9];
    const qint64 root_parent = index_at(parent, 0);
    if (root_parent != -1 && root_parent != 2147483647)
        return which + " gives its root a parent";
    std::vector<int> depth(size_t(n), -1);
    depth[0] = 0;
    for (qint64 i = 0; i < n; ++i) {
        if (!std::isfinite(value.at(i)))
            return which + QString(" has a value that is not finite at node %1").arg(i);
        if (split_type.at(i) != 0)
            return which + " splits on categories";
        const qint64 up = index_at(parent, i);
        if (i > 0 && (up < 0 || up >= i))
            return which + QString(" gives node %1 the parent %2, not a node before it").arg(i).arg(up);
        const qint64 l = index_at(left, i), r = index_at(right, i);
        if (l == -1 && r == -1)
            continue;
        for (const qint64 child : {l, r})
            if (child <= i || child >= n || depth[size_t(child)] >= 0 || index_at(parent, child) != i ||
                l == r)
                return which +
                       QString(" links node %1 to node %2, not a node of its own after it among its %3")
                           .arg(i)
                           .arg(child)
                           .arg(n);
        if (depth[size_t(i)] < 0)
            return which + QString(" splits node %1, which no node leads to").arg(i);
        const qint64 f = index_at(feature, i);
        if (f < 0 || f >= features)
            return which + QString(" splits on feature %1 of %2").arg(f).arg(features);
        if (depth[size_t(i)] >= max_depth)
            return which + QString(" is deeper than the %1 levels the settings grow").arg(max_depth);
        depth[size_t(l)] = depth[size_t(r)] = depth[size_t(i)] + 1;
    }
    return QString();
}

} // namespace

QString booster_refusal::reason(const QByteArray& booster, int classes, int features,
                                const booster_settings& settings)
{
    // An honest booster has some 20 values outside typed arrays per tree, and 7 levels of nesting.
    const qint64 grown = qint64(settings.rounds) * classes;
    QString why;
    const std::optional<ubjson_value> root =
        ubjson_value::parse(booster, 10, int(64 + 32 * std::min<qint64>(grown, max_trees)), &why);
    if (!root)
        return "its booster " + why;
    const ubjson_value* learner = root->member("learner");
    const ubjson_value* model = at_path(learner, {"gradient_booster", "model"});
    if (!is_text(at_path(learner, {"gradient_booster", "name"}), "gbtree") ||
        !is_text(at_path(learner, {"objective", "name"}), "multi:softprob") ||
        parameter(at_path(learner, {"objective", "softmax_multiclass_param", "num_class"})) != classes ||
        parameter(at_path(learner, {"learner_model_param", "num_class"})) != classes ||
        parameter(at_path(learner, {"learner_model_param", "num_feature"})) != features ||
        parameter(at_path(learner, {"learner_model_param", "num_target"})) != 1 ||
        !is_empty(at_path(learner, {"attributes"}), kind::object) ||
        !is_empty(at_path(learner, {"feature_names"}), kind::array) ||
        !is_empty(at_path(learner, {"feature_types"}), kind::array) ||
        parameter(at_path(model, {"gbtree_model_param", "num_parallel_tree"})) != 1 ||
        parameter(at_path(model, {"gbtree_model_param", "size_leaf_vector"})) != 0)
        return QString("its booster is not one of %1 behaviours and %2 features").arg(classes).arg(features);
    const ubjson_value* base = at_path(learner, {"learner_model_param", "base_score"});
    if (!base || base->type() != kind::string || !std::isfinite(base->text().toDouble()))
        return "its booster's base score is not a finite number";
    const ubjson_value* trees = at_path(model, {"trees"});
    const ubjson_value* info = at_path(model, {"tree_info"});
    const qint64 stated = parameter(at_path(model, {"gbtree_model_param", "num_trees"}));
    const qint64 held = trees && trees->type() == kind::array ? trees->size() : -1;
    if (held < 1 || stated != held || !info || info->size() != held)
        return QString("its booster states %1 trees but holds %2").arg(stated).arg(held);
    if (held > grown || held > max_trees)
        return QString("its booster holds %1 trees, more than %2 rounds of %3 behaviours grow")
            .arg(held)
            .arg(settings.rounds)
            .arg(classes);
    qint64 nodes = 0;
    for (qint64 t = 0; t < held; ++t) {
        const qint64 c = index_at(*info, t);
        if (c < 0 || c >= classes)
            return QString("its tree %1 is for behaviour %2 of %3").arg(t).arg(c).arg(classes);
        const QString tree = tree_refusal(trees->item(t), t, features, settings.max_depth, &nodes);
        if (!tree.isEmpty())
            return tree;
    }
    return QString();
}
