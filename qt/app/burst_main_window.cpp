#include "app/burst_main_window.h"
#include "ui_burst_main_window.h"

#include "app/dropped_files.h"
#include "app/window_geometry.h"
#include "views/activity_plot_dialog.h"
#include "views/burst_paint_panel.h"
#include "data/trace.h"

#include <QCloseEvent>
#include <QMessageBox>

burst_main_window::burst_main_window(burst_space* space, events_by_bursts_i* events, const QString& name,
                                     QWidget* parent)
    : QMainWindow(parent), ui(new Ui::burst_main_window), space_(space), events_(events), name_(name)
{
    setAttribute(Qt::WA_MouseTracking);
    ui->setupUi(this);
    setWindowTitle(name_ + " - Acceleration Data - Dornvale");
    panel_ = new burst_paint_panel(*space_, *events_, *ui->statusBar, nullptr);
    setCentralWidget(panel_);
    connect(ui->actionActivity_Plot, &QAction::triggered, this, &burst_main_window::show_activity_plot);
    connect(ui->actionClose, &QAction::triggered, this, &QWidget::close);
    ui->actionClose->setShortcut(QKeySequence(tr("Ctrl+W")));
    setAcceptDrops(true);
}

burst_main_window::~burst_main_window()
{
    trace_debug() << "~burst_main_window";
    // The panel refers to the data; it goes first.
    delete panel_;
    delete ui;
}

void burst_main_window::closeEvent(QCloseEvent* event)
{
    const QMessageBox::StandardButton answer =
        QMessageBox::question(this, tr("Close Acceleration Data"), tr("Are you sure?\n"),
                              QMessageBox::Close | QMessageBox::Cancel, QMessageBox::Close);
    if (answer != QMessageBox::Close) {
        event->ignore();
        return;
    }
    event->accept();
    emit window_closed(this);
}

void burst_main_window::show_activity_plot()
{
    trace::out("activity plot!");
    auto* dialog = new activity_plot_dialog(this, *space_, name_);
    window_geometry::remember(dialog, "activity_plot");
    dialog->show();
}

void burst_main_window::dragEnterEvent(QDragEnterEvent* event)
{
    dropped_files::accept(event);
}

void burst_main_window::dropEvent(QDropEvent* event)
{
    const QStringList paths = dropped_files::take(event);
    if (!paths.isEmpty())
        emit files_dropped(paths);
}
