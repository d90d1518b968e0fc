#include "data/classify/booster_settings.h"

QJsonObject booster_settings::to_json() const
{
    return QJsonObject{{"rounds", rounds}, {"max_depth", max_depth}, {"eta", eta},
                       {"folds", folds},   {"seed", qint64(seed)},   {"weight_classes", weight_classes}};
}

bool booster_settings::from_json(const QJsonObject& o)
{
    rounds = o.value("rounds").toInt(rounds);
    max_depth = o.value("max_depth").toInt(max_depth);
    eta = o.value("eta").toDouble(eta);
    folds = o.value("folds").toInt(folds);
    if (o.contains("seed"))
        seed = quint32(o.value("seed").toVariant().toLongLong());
    weight_classes = o.value("weight_classes").toBool(weight_classes);
    return rounds > 0 && rounds <= 10000 && max_depth > 0 && max_depth <= 64 && eta > 0 && eta <= 1 &&
           folds >= 2;
}
