#pragma once

#include "data/metrics/applied_calibration.h"
#include "data/metrics/static_window.h"

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class burst;
class QPushButton;
class QTableWidget;
class burst_paint_panel;
class burst_samples_plot;

// One burst up close: its samples against time within the burst, its start (UTC), rate and sample
// count, its GPS fix (or the nearest one) with the time between them, per-axis mean, minimum, maximum,
// standard deviation (n - 1) and dominant frequency with its amplitude, ODBA, VeDBA, pitch and roll (see
// burst_metrics), the activity the activity plot would give it alone, and buttons to step to the previous
// or next burst and to copy or save its samples as CSV. It shows the selected burst of a burst_paint_panel
// and follows its selection, display flags and palette, and the panel's calibration until set_metrics
// gives one; stepping selects in the panel.
class burst_detail_pane : public QWidget
{
    Q_OBJECT

public:
    // panel is not owned and must outlive the pane.
    burst_detail_pane(burst_paint_panel& panel, QWidget* parent);

    // The burst shown, -1 for none.
    qint32 shown_burst() const { return shown_; }

    QLabel* summary_label() const { return summary_; }
    QLabel* activity_label() const { return activity_; }
    QLabel* metrics_label() const { return metrics_; }
    QLabel* fix_label() const { return fix_; }
    QTableWidget* statistics_table() const { return table_; }
    burst_samples_plot* plot() const { return plot_; }
    QPushButton* previous_button() const { return previous_; }
    QPushButton* next_button() const { return next_; }
    QPushButton* copy_button() const { return copy_; }
    QPushButton* save_button() const { return save_; }

    // A line under the fix naming what a room above knows of burst i (its label, say); hidden when
    // it gives an empty text. refresh_note shows it again after that knowledge changed.
    void set_note(std::function<QString(qint32 i)> note);
    void refresh_note();
    QLabel* note_label() const { return note_; }

    // The calibration (stored, assumed by tag number or none) and static part the figures use, from
    // now on instead of the panel's calibration.
    void set_metrics(const applied_calibration& calibration, const static_window& window);

    // Copies the shown burst's samples as CSV to the clipboard.
    void copy_csv() const;
    // Asks for a file name and writes the shown burst's samples as CSV there.
    void save_csv();

public slots:
    void refresh();

private:
    void show_burst(qint32 index);
    void step(qint32 by);
    void show_fix(const burst& b);

    burst_paint_panel& panel_;
    qint32 shown_ = -1;
    QLabel* summary_;
    QLabel* units_;
    QLabel* fix_;
    QLabel* note_;
    std::function<QString(qint32)> note_of_;
    burst_samples_plot* plot_;
    QTableWidget* table_;
    QLabel* activity_;
    QLabel* metrics_;
    std::optional<applied_calibration> calibration_;
    static_window window_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* copy_;
    QPushButton* save_;
};
