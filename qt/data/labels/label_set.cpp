#include "data/labels/label_set.h"

#include <QSet>
#include <QSettings>

namespace {

// Colours for labels added from files, told apart from the defaults and each other.
constexpr quint32 extra_colours[] = {0xc0392b, 0x16a085, 0xd4ac0d, 0x6c3483, 0x1f618d, 0xa04000, 0x7d8c2f, 0xb03a8f};

} // namespace

label_set label_set::defaults()
{
    label_set set;
    set.labels_ = {{QStringLiteral("resting"), 0x5b7fa6, 1},  {QStringLiteral("walking"), 0x4caf50, 2},
                   {QStringLiteral("flapping"), 0xef6c00, 3}, {QStringLiteral("soaring"), 0x29b6f6, 4},
                   {QStringLiteral("foraging"), 0x9c4dcc, 5}, {QStringLiteral("other"), 0x9e9e9e, 6}};
    return set;
}

label_set label_set::load(QSettings& settings)
{
    const int n = settings.beginReadArray(QStringLiteral("labels/set"));
    std::vector<label_def> labels;
    for (int i = 0; i < n; ++i) {
        settings.setArrayIndex(i);
        labels.push_back({settings.value(QStringLiteral("name")).toString(),
                          settings.value(QStringLiteral("rgb")).toUInt(),
                          settings.value(QStringLiteral("key")).toInt()});
    }
    settings.endArray();
    if (n == 0)
        return defaults();
    label_set set;
    set.set_labels(std::move(labels));
    return set;
}

void label_set::save(QSettings& settings) const
{
    settings.remove(QStringLiteral("labels/set"));
    settings.beginWriteArray(QStringLiteral("labels/set"), int(labels_.size()));
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        settings.setArrayIndex(int(i));
        settings.setValue(QStringLiteral("name"), labels_[i].name);
        settings.setValue(QStringLiteral("rgb"), labels_[i].rgb);
        settings.setValue(QStringLiteral("key"), labels_[i].key);
    }
    settings.endArray();
}

void label_set::set_labels(std::vector<label_def> labels)
{
    labels_.clear();
    QSet<QString> names;
    QSet<int> keys;
    for (label_def& l : labels) {
        l.name = l.name.trimmed();
        if (l.name.isEmpty() || names.contains(l.name))
            continue;
        if (l.key < 1 || l.key > 9 || keys.contains(l.key))
            l.key = 0;
        names.insert(l.name);
        keys.insert(l.key);
        labels_.push_back(std::move(l));
    }
}

const label_def* label_set::find(const QString& name) const
{
    for (const label_def& l : labels_)
        if (l.name == name)
            return &l;
    return nullptr;
}

const label_def* label_set::by_key(int key) const
{
    for (const label_def& l : labels_)
        if (key != 0 && l.key == key)
            return &l;
    return nullptr;
}

QStringList label_set::add_missing(const QStringList& names)
{
    QStringList added;
    for (const QString& raw : names) {
        const QString name = raw.trimmed();
        if (name.isEmpty() || find(name))
            continue;
        int key = 0;
        for (int k = 1; k <= 9 && key == 0; ++k)
            if (!by_key(k))
                key = k;
        const std::size_t colours = sizeof extra_colours / sizeof extra_colours[0];
        labels_.push_back({name, extra_colours[labels_.size() % colours], key});
        added << name;
    }
    return added;
}
