#include "views/labels/label_rows_model.h"

#include "data/labels/label_segments.h"
#include "data/model/burst_space.h"

#include <QDateTime>

#include <algorithm>

label_rows_model::label_rows_model(const burst_space& space, QObject* parent)
    : QAbstractTableModel(parent), space_(space)
{
}

void label_rows_model::refill(const label_segments& segments, const QString& animal)
{
    beginResetModel();
    rows_.clear();
    hidden_ = 0;
    const std::vector<qint64>& starts = space_.timestamps();
    for (const label_segment& s : segments.of(animal)) {
        const auto first = std::lower_bound(starts.begin(), starts.end(), s.start_ms);
        const auto end = std::lower_bound(first, starts.end(), s.end_ms);
        if (first == end)
            ++hidden_;
        else
            rows_.push_back({s, qint32(first - starts.begin()), qint32(end - first)});
    }
    endResetModel();
}

int label_rows_model::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int label_rows_model::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant label_rows_model::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return QVariant();
    const row& r = rows_[std::size_t(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == 4)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    auto time = [](qint64 t) {
        return QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    };
    switch (index.column()) {
    case 0: return r.segment.animal;
    case 1: return time(r.segment.start_ms);
    case 2: return time(r.segment.end_ms);
    case 3: return r.segment.label;
    default: return r.bursts;
    }
}

QVariant label_rows_model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const char* const names[] = {QT_TR_NOOP("Animal"), QT_TR_NOOP("Start (UTC)"), QT_TR_NOOP("End (UTC)"),
                                 QT_TR_NOOP("Label"), QT_TR_NOOP("Bursts")};
    return section >= 0 && section < 5 ? tr(names[section]) : QVariant();
}
