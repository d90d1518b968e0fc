#pragma once

#include "data/metrics/applied_calibration.h"
#include "data/metrics/burst_table_csv.h"
#include "data/metrics/static_window.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class burst_detail_pane;
class burst_paint_panel;
class metrics_job;
class vedba_strip;

// The per-burst figures of one burst window: which calibration applies (stored for the tag, else
// assumed by tag number), the static part, the VeDBA strip and the burst table export. The burst view
// draws raw values until a calibration is stored or Calibrated Display is on; the details, the strip
// and the table use the applied calibration.
class metrics_control : public QObject
{
    Q_OBJECT

public:
    // panel and pane are not owned and must outlive this object. key is the settings key of the
    // tag's calibration; tag_number the tag's number, empty when unknown. data_path and animal name
    // the data for the table (animal empty for a file of one); strip_margin is kept free under the strip.
    metrics_control(burst_paint_panel& panel, burst_detail_pane& pane, const QString& key,
                    const QString& tag_number, const QString& data_path, const QString& animal, int strip_margin,
                    QObject* parent = nullptr);
    ~metrics_control() override;

    // Adds Calibrated Display and VeDBA Strip to view, Static Part of Figures... to tools and Export
    // Bursts... to file (before before, or at the end when null).
    void add_actions(QMenu& view, QMenu& tools, QMenu& file, QAction* before);
    // Gives, when a table is written, the labels for its label column (a lookup safe to call on
    // another thread); none when not set.
    void set_labels(std::function<burst_label_lookup()> labels) { labels_ = std::move(labels); }

    const std::optional<burst_calibration>& stored() const { return stored_; }
    const applied_calibration& applied() const { return applied_; }
    // The tag's calibration was stored (or removed, for none): it applies from now on.
    void set_stored(const std::optional<burst_calibration>& stored);

    QAction* calibrated_display_action() const { return calibrated_display_; }
    QAction* vedba_strip_action() const { return strip_action_; }
    const vedba_strip& strip() const { return *strip_; }
    // Writes the burst table after asking where; the path written, empty when not.
    QString export_bursts();

signals:
    // The strip's figures are computed and drawn.
    void strip_ready();

private:
    void apply();
    void show_strip(bool on);
    void ask_static_window();

    burst_paint_panel& panel_;
    burst_detail_pane& pane_;
    QString tag_number_, data_path_, animal_;
    std::optional<burst_calibration> stored_;
    applied_calibration applied_;
    static_window window_;
    std::function<burst_label_lookup()> labels_;
    std::unique_ptr<vedba_strip> strip_;
    std::unique_ptr<metrics_job> job_;
    QAction* calibrated_display_ = nullptr;
    QAction* strip_action_ = nullptr;
};
