#pragma once

#include "data/labels/label_segment.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTableView;
class burst_space;
class label_rows_model;
class label_segments;

// The Labels dock: the labelled segments of one animal, with Jump To (or a double click) and Delete
// (or the Delete key) for the rows chosen.
class labels_list : public QWidget
{
    Q_OBJECT

public:
    // space is not owned and must outlive the list.
    labels_list(const burst_space& space, QWidget* parent = nullptr);

    void refill(const label_segments& segments, const QString& animal);
    QTableView* table() const { return table_; }
    label_rows_model* model() const { return model_; }
    QPushButton* jump_button() const { return jump_; }
    QPushButton* delete_button() const { return delete_; }

signals:
    // Show the first burst of a segment, and select the segment's bursts first ... last.
    void jump_requested(qint32 first, qint32 last);
    void delete_requested(std::vector<label_segment> segments);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void jump();
    void remove();
    std::vector<int> chosen_rows() const;

    label_rows_model* model_;
    QTableView* table_;
    QLabel* hidden_;
    QPushButton* jump_;
    QPushButton* delete_;
};
