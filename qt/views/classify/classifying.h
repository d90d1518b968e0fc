#pragma once

#include "data/classify/behaviour_model.h"
#include "data/labels/label_segments.h"
#include "data/labels/label_set.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QAction;
class activity_calculator;
class QMainWindow;
class burst_paint_panel;
class burst_space;
class classify_dialog;
class label_band;
class labelling;

// Behaviour classification in one burst window: Tools > Classify Behaviour opens the dialog on the
// window's bursts (their metrics as features, their labels as classes); applied predictions show as
// a lighter band above the labels, "uncertain" (grey) below the chosen probability. A label always
// wins: labelled bursts get no predicted band.
class classifying : public QObject
{
    Q_OBJECT

public:
    // calibration_key and tag_number find the calibration as the metrics do. window, panel, labels and
    // space are not owned and must outlive this object.
    classifying(QMainWindow& window, burst_paint_panel& panel, labelling& labels, const burst_space& space,
                const QString& animal, const QString& data_path, const QString& calibration_key,
                const QString& tag_number);
    ~classifying() override;

    QAction* action() const { return action_; }
    classify_dialog* dialog() const;
    // The predicted behaviour of burst index (empty: none) and its probability.
    QString predicted(qint32 index, float* probability = nullptr) const;
    static const char uncertain[]; // "uncertain"

    bool has_predictions() const { return !rows_.empty(); }
    // Per bin of calc, the colour of its bursts' most frequent behaviour (the label, else the
    // prediction), -1 for none; and the legend of the colours.
    std::vector<qint32> bin_colours(const activity_calculator& calc) const;
    std::vector<std::pair<QString, quint32>> legend() const;
    // A behaviour's colour (0xRRGGBB): the label set's, else the model's; grey for neither.
    quint32 colour_of(const QString& name) const;

public slots:
    void open();
    void show_time_budget();

signals:
    void predictions_changed();

private:
    void take(const behaviour_model& model, const std::vector<prediction>& rows, double uncertain_below);
    // The band's segments from the predictions of the bursts without a label.
    void fill_band();
    // Each burst's behaviour (label, else prediction) as an index into names, which it extends.
    std::vector<int> burst_behaviours(QStringList& names) const;

    QMainWindow& window_;
    burst_paint_panel& panel_;
    labelling& labels_;
    const burst_space& space_;
    QString animal_, data_path_, calibration_key_, tag_number_;
    QAction* action_;
    QPointer<classify_dialog> dialog_;
    QStringList classes_;
    std::vector<prediction> rows_;
    double uncertain_below_ = 0;
    label_segments predicted_;
    label_set predicted_set_;
    std::unique_ptr<label_band> band_;
};
