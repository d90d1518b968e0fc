#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

namespace Ui {
class burst_main_window;
}

class burst_paint_panel;
class burst_space;
class events_by_bursts_i;

// Top-level window showing one opened data set in a burst view. Closing asks for confirmation (Close or
// Cancel) and, once confirmed, reports itself through window_closed.
class burst_main_window : public QMainWindow
{
    Q_OBJECT

public:
    // The data are not owned; they must outlive the window.
    burst_main_window(burst_space* space, events_by_bursts_i* events, const QString& name,
                      QWidget* parent = nullptr);
    ~burst_main_window() override;

    burst_paint_panel* panel() const { return panel_; }

signals:
    void window_closed(burst_main_window* self);
    // Local files dropped on the window, for the main window to open.
    void files_dropped(QStringList paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void show_activity_plot();

private:
    Ui::burst_main_window* ui;
    burst_space* space_;
    events_by_bursts_i* events_;
    QString name_;
    burst_paint_panel* panel_;
};
