#pragma once

#include "data/labels/label_segment.h"

#include <QAbstractTableModel>

#include <vector>

class burst_space;
class label_segments;

// The segments of one animal that hold bursts of its data, as table rows: animal, start, end,
// label, number of bursts. Segments holding none are kept but not listed.
class label_rows_model : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct row
    {
        label_segment segment;
        qint32 first_burst;
        qint32 bursts;
    };

    // space is not owned and must outlive the model.
    explicit label_rows_model(const burst_space& space, QObject* parent = nullptr);

    // Takes the animal's segments again.
    void refill(const label_segments& segments, const QString& animal);
    const std::vector<row>& rows() const { return rows_; }
    // Segments of the animal outside the data at the last refill.
    qint32 hidden() const { return hidden_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const burst_space& space_;
    std::vector<row> rows_;
    qint32 hidden_ = 0;
};
