#pragma once

#include <QMainWindow>
#include <QString>

namespace Ui {
class burst_main_window;
}

class QLabel;
class burst_paint_panel;
class burst_space;
class events_by_bursts_i;

// Top-level window showing one opened data set in a burst view. Closing asks for confirmation and,
// once confirmed, reports itself through window_closed.
class burst_main_window : public QMainWindow
{
    Q_OBJECT

public:
    // The data are not owned; they must outlive the window.
    burst_main_window(burst_space* space, events_by_bursts_i* events, const QString& name,
                      QWidget* parent = nullptr);
    ~burst_main_window() override;

    burst_paint_panel* panel() const { return panel_; }
    // The status bar's read-out of the hovered burst's GPS fix; empty over a burst without one.
    QLabel* fix_read_out() const { return fix_read_out_; }

public slots:
    // Centres the view on the burst holding the time (the first burst for times before it), marks
    // it and brings the window forward.
    void centre_on_time(qint64 msecs_utc);

signals:
    void window_closed(burst_main_window* self);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void show_activity_plot();
    void show_fix_of(qint32 burst_index);

private:
    Ui::burst_main_window* ui;
    burst_space* space_;
    events_by_bursts_i* events_;
    QString name_;
    burst_paint_panel* panel_;
    QLabel* fix_read_out_;
};
