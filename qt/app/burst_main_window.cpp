#include "app/burst_main_window.h"
#include "ui_burst_main_window.h"

#include "views/activity_plot_dialog.h"
#include "views/burst_paint_panel.h"
#include "data/burst_space.h"
#include "data/events_by_bursts_i.h"
#include "data/gps_event.h"
#include "data/trace.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>

#include <algorithm>

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
    fix_read_out_ = new QLabel(this);
    ui->statusBar->addPermanentWidget(fix_read_out_);
    connect(panel_, &burst_paint_panel::burst_hovered, this, &burst_main_window::show_fix_of);
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
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
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
    connect(dialog, &activity_plot_dialog::time_clicked, this, &burst_main_window::centre_on_time);
    dialog->show();
}

void burst_main_window::centre_on_time(qint64 msecs_utc)
{
    if (space_->entry_count() == 0)
        return;
    const qint32 index = std::max(0, space_->burst_index_for_timestamp(msecs_utc));
    panel_->set_selected_burst(index);
    panel_->centre_on_burst(index);
    show();
    raise();
    activateWindow();
}

void burst_main_window::show_fix_of(qint32 burst_index)
{
    bool exact = false;
    const gps_event* fix =
        burst_index >= 0
            ? events_->fix_for_burst(burst_index, space_->timestamps()[std::size_t(burst_index)], exact)
            : nullptr;
    if (!fix || !exact) {
        fix_read_out_->clear();
        return;
    }
    fix_read_out_->setText(
        tr("GPS fix %1 UTC  lat %2  lon %3")
            .arg(QDateTime::fromMSecsSinceEpoch(fix->timestamp, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss"))
            .arg(fix->latitude, 0, 'f', 6)
            .arg(fix->longitude, 0, 'f', 6));
}
