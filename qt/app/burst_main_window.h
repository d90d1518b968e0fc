#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QString>
#include <QStringList>

namespace Ui {
class burst_main_window;
}

class QLabel;
class QAction;
class QDockWidget;
class burst_axis;
class burst_detail_pane;
class burst_legend;
class burst_paint_panel;
class burst_space;
class event_space;
class events_by_bursts_i;
class classifying;
class labelling;
class metrics_control;

// Top-level window showing one opened data set in a burst view, with its axis and legend, a View
// menu of navigation keys, a dock with one burst up close, the calibration of the tag and the
// labelling of bursts (Labels menu and dock). Closing asks for confirmation (Close or Cancel) and,
// once confirmed, reports itself through window_closed.
class burst_main_window : public QMainWindow
{
    Q_OBJECT

public:
    // The data are not owned; they must outlive the window. Labels are kept beside data_path (name
    // when empty) for the animal (empty for a file of one). fixes: the linked GPS data set's, null for
    // none; the activity plot takes the sun's times from them.
    burst_main_window(burst_space* space, events_by_bursts_i* events, const QString& name,
                      QWidget* parent = nullptr, const QString& data_path = QString(),
                      const QString& animal = QString(), const event_space* fixes = nullptr);
    ~burst_main_window() override;

    burst_paint_panel* panel() const { return panel_; }
    // The status bar's read-out of the hovered burst's GPS fix; empty over a burst without one.
    QLabel* fix_read_out() const { return fix_read_out_; }

public slots:
    // Centres the view on the burst holding the time (the first burst for times before it), marks
    // it and brings the window forward.
    void centre_on_time(qint64 msecs_utc);
    burst_axis* axis() const { return axis_; }
    burst_legend* legend() const { return legend_; }
    burst_detail_pane* detail_pane() const { return detail_pane_; }
    QDockWidget* detail_dock() const { return detail_dock_; }
    // The View menu's action with this text, nullptr if there is none.
    QAction* view_action(const QString& text) const;
    // The key calibrations are kept under: the tag serial number, else the file name.
    QString calibration_tag() const { return calibration_tag_; }
    labelling* labels() const { return labelling_; }
    metrics_control* metrics() const { return metrics_; }
    classifying* behaviours() const { return classifying_; }

signals:
    void window_closed(burst_main_window* self);
    // Local files dropped on the window, for the main window to open.
    void files_dropped(QStringList paths);
    // The bursts' labels, their predicted behaviours or the label set's colours changed.
    void behaviours_changed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void show_activity_plot();
    void show_fix_of(qint32 burst_index);
    void go_to_time();
    void edit_calibration();
    void set_colour_blind_safe(bool on);

private:
    Ui::burst_main_window* ui;
    burst_space* space_;
    events_by_bursts_i* events_;
    const event_space* fixes_;
    QString name_;
    burst_paint_panel* panel_;
    QLabel* fix_read_out_;
    burst_axis* axis_;
    burst_legend* legend_;
    burst_detail_pane* detail_pane_;
    QDockWidget* detail_dock_;
    QMenu* view_menu_;
    QString calibration_tag_;
    labelling* labelling_;
    QString labelling_animal_;
    metrics_control* metrics_;
    classifying* classifying_;

    void build_view_menu();
};
