#include "data/classify/model_file.h"

#include "data/classify/behaviour_model.h"
#include "data/classify/booster_refusal.h"
#include "data/classify/boosted_trees.h"
#include "data/classify/feature_table.h"
#include "data/io/checked_commit.h"
#include "data/io/sidecar_file.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

const char model_file::suffix[] = "dvmodel";

namespace {

const char format_name[] = "dornvale-behaviour-model";
// Far beyond an honest model (60 rounds of ten behaviours take some 2 MB), and bounds what is parsed.
constexpr qint64 max_bytes = 64 * 1000 * 1000;

} // namespace

bool model_file::write(const QString& path, const behaviour_model& model, QString* error)
{
    QJsonArray labels, features;
    for (int c = 0; c < model.classes.size(); ++c)
        labels.append(QJsonObject{{"name", model.classes[c]},
                                  {"colour", c < model.colours.size() ? model.colours[c] : QString()}});
    for (int f = 0; f < model.features.size(); ++f)
        features.append(QJsonObject{{"name", model.features[f]},
                                    {"unit", f < model.units.size() ? model.units[f] : QString()}});
    const QByteArray booster = model.trees ? model.trees->to_bytes() : QByteArray();
    if (booster.isEmpty()) {
        *error = QString("Cannot write %1: the model holds no trees.").arg(QFileInfo(path).fileName());
        return false;
    }
    const QJsonObject o{{"format", format_name},
                        {"version", version},
                        {"settings", model.settings.to_json()},
                        {"labels", labels},
                        {"features", features},
                        {"static_window_s", model.window.seconds},
                        {"booster", QString::fromLatin1(booster.toBase64())}};
    const QString reason = checked_save(path, QJsonDocument(o).toJson(QJsonDocument::Indented));
    if (!reason.isEmpty()) {
        *error = QString("Cannot write %1: %2").arg(QFileInfo(path).fileName(), reason);
        return false;
    }
    return true;
}

std::optional<behaviour_model> model_file::read(const QString& path, QString* error)
{
    const QString name = QFileInfo(path).fileName();
    const QString refusal = sidecar_refusal(path, max_bytes, "a behaviour model");
    if (!refusal.isEmpty()) {
        *error = QString("%1 %2.").arg(name, refusal);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QString("Cannot open %1: %2").arg(name, file.errorString());
        return std::nullopt;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    const QJsonObject o = doc.object();
    if (doc.isNull() || !doc.isObject() || o.value("format").toString() != format_name) {
        *error = QString("%1 is not a Dornvale behaviour model.").arg(name);
        return std::nullopt;
    }
    if (o.value("version").toInt() > version) {
        *error = QString("%1 was written by a newer Dornvale (model version %2); this one reads version %3.")
                     .arg(name)
                     .arg(o.value("version").toInt())
                     .arg(version);
        return std::nullopt;
    }
    behaviour_model m;
    bool ok = m.settings.from_json(o.value("settings").toObject());
    for (const QJsonValue& v : o.value("labels").toArray()) {
        m.classes << v.toObject().value("name").toString();
        m.colours << v.toObject().value("colour").toString();
        ok = ok && !m.classes.last().isEmpty();
    }
    for (const QJsonValue& v : o.value("features").toArray()) {
        m.features << v.toObject().value("name").toString();
        m.units << v.toObject().value("unit").toString();
        ok = ok && !m.features.last().isEmpty();
    }
    // A model written before the static part was kept learnt from the burst mean.
    m.window.seconds = o.value("static_window_s").toDouble(0);
    ok = ok && m.window.seconds >= 0 && m.window.seconds <= 3600;
    if (!ok || m.classes.size() < 2 || m.features.isEmpty()) {
        *error =
            QString("%1 is damaged: its settings, behaviours or features are missing or wrong.").arg(name);
        return std::nullopt;
    }
    // XGBoost trusts every index and length of the booster: it is checked here first.
    const QByteArray booster = QByteArray::fromBase64(o.value("booster").toString().toLatin1());
    QString why = booster_refusal::reason(booster, m.classes.size(), m.features.size(), m.settings);
    std::shared_ptr<boosted_trees> trees =
        why.isEmpty() ? boosted_trees::from_bytes(booster, m.classes.size(), m.settings.threads, &why)
                      : nullptr;
    // A booster of other shape than the header says is as damaged as one that does not load.
    if (trees) {
        feature_table probe;
        probe.features = m.features;
        probe.add_row(std::vector<double>(size_t(m.features.size()), 0.0), feature_table::no_class,
                      QString());
        if (trees->probabilities(probe, &why).size() != size_t(m.classes.size())) {
            if (why.isEmpty())
                why = QString("its trees do not tell %1 behaviours apart").arg(m.classes.size());
            trees.reset();
        }
    }
    if (!trees) {
        *error = QString("%1 is damaged: %2").arg(name, why.section('\n', 0, 0));
        return std::nullopt;
    }
    m.trees = std::move(trees);
    return m;
}
