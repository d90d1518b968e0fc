#include "app/burst_main_window.h"
#include "ui_burst_main_window.h"

#include "app/dropped_files.h"
#include "app/window_geometry.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_tag_serial.h"
#include "views/activity/activity_plot_dialog.h"
#include "views/classify/classifying.h"
#include "views/burst/burst_at_time.h"
#include "views/burst/burst_axis.h"
#include "views/burst/burst_detail_pane.h"
#include "views/burst/burst_legend.h"
#include "views/burst/burst_paint_panel.h"
#include "data/model/events_by_bursts_i.h"
#include "data/model/gps_event.h"
#include "views/burst/calibration_dialog.h"
#include "views/labels/label_band.h"
#include "views/labels/label_document.h"
#include "views/labels/label_set_store.h"
#include "views/labels/labelling.h"
#include "views/metrics/metrics_control.h"
#include "data/labels/label_segments.h"
#include "data/io/trace.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QSettings>

#include <functional>

#include <algorithm>

burst_main_window::burst_main_window(burst_space* space, events_by_bursts_i* events, const QString& name,
                                     QWidget* parent, const QString& data_path, const QString& animal,
                                     const event_space* fixes)
    : QMainWindow(parent), ui(new Ui::burst_main_window), space_(space), events_(events), fixes_(fixes),
      name_(name), labelling_animal_(animal)
{
    setAttribute(Qt::WA_MouseTracking);
    ui->setupUi(this);
    setWindowTitle(name_ + " - Acceleration Data - Dornvale");
    panel_ = new burst_paint_panel(*space_, *events_, *ui->statusBar, nullptr);
    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    axis_ = new burst_axis(*panel_, central);
    legend_ = new burst_legend(*panel_, central);
    grid->addWidget(axis_, 0, 0);
    grid->addWidget(panel_, 0, 1);
    grid->addWidget(legend_, 1, 0, 1, 2);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(1, 1);
    setCentralWidget(central);
    panel_->setFocus();

    detail_dock_ = new QDockWidget(tr("Burst Details"), this);
    detail_dock_->setObjectName(QStringLiteral("burst_details"));
    // In a scroll area the dock may be lower than the pane: the burst view keeps its share.
    auto* detail_scroll = new QScrollArea(detail_dock_);
    detail_scroll->setWidgetResizable(true);
    detail_scroll->setFrameShape(QFrame::NoFrame);
    detail_pane_ = new burst_detail_pane(*panel_, detail_scroll);
    detail_scroll->setWidget(detail_pane_);
    detail_dock_->setWidget(detail_scroll);
    addDockWidget(Qt::BottomDockWidgetArea, detail_dock_);
    detail_dock_->hide();
    detail_dock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                              QDockWidget::DockWidgetFloatable);
    connect(panel_, &burst_paint_panel::burst_activated, this, [this] {
        // Opened docked, it takes two fifths of the height; while open, its size is the user's.
        const bool opening = detail_dock_->isHidden() && !detail_dock_->isFloating();
        detail_dock_->show();
        detail_dock_->raise();
        if (opening)
            resizeDocks({detail_dock_}, {height() * 2 / 5}, Qt::Vertical);
    });

    const QString serial = eobs_tag_serial(name_);
    calibration_tag_ = serial.isEmpty() ? QFileInfo(name_).fileName() : serial;
    QSettings settings;
    QString refusal;
    panel_->set_calibration(burst_calibration::load(settings, calibration_tag_, &refusal));
    if (!refusal.isEmpty())
        ui->statusBar->showMessage(refusal);
    build_view_menu();

    const QString path = data_path.isEmpty() ? name_ : data_path;
    labelling_ = new labelling(*this, *panel_, path, animal);
    // The figures: the tag number from the file's first line, or an animal's from its own rows.
    const QString tag_number = animal_tag_number(path, animal, *space_);
    metrics_ = new metrics_control(*panel_, *detail_pane_, calibration_tag_, tag_number, path, animal,
                                   2 * label_band::height, this);
    metrics_->set_labels([this]() -> burst_label_lookup {
        auto segments = std::make_shared<label_segments>(labelling_->document().segments());
        return [segments, animal = labelling_animal_](const QString&, qint64 t) {
            return segments->label_at(animal, t);
        };
    });
    menuBar()->insertMenu(ui->menuTools->menuAction(), labelling_->menu());
    view_menu_->addAction(labelling_->dock()->toggleViewAction());
    classifying_ = new classifying(*this, *panel_, *labelling_, *space_, animal, path, calibration_tag_,
                                   tag_number);
    detail_pane_->set_note([this](qint32 i) {
        const QString label = labelling_->label_of(i);
        float p = 0;
        const QString predicted = classifying_->predicted(i, &p);
        if (!predicted.isEmpty())
            return tr("Label: none; predicted: %1 (probability %2)").arg(predicted).arg(double(p), 0, 'f', 2);
        return label.isEmpty() ? tr("Label: none") : tr("Label: %1").arg(label);
    });
    connect(labelling_, &labelling::labels_changed, detail_pane_, &burst_detail_pane::refresh_note);
    connect(classifying_, &classifying::predictions_changed, detail_pane_, &burst_detail_pane::refresh_note);
    connect(labelling_, &labelling::labels_changed, this, &burst_main_window::behaviours_changed);
    connect(classifying_, &classifying::predictions_changed, this, &burst_main_window::behaviours_changed);
    connect(&label_set_store::instance(), &label_set_store::changed, this, &burst_main_window::behaviours_changed);
    connect(labelling_, &labelling::message, this, [this](const QString& text) { ui->statusBar->showMessage(text, 8000); });

    auto* calibration = new QAction(tr("Calibration..."), this);
    calibration->setObjectName(QStringLiteral("actionCalibration"));
    ui->menuTools->addAction(calibration);
    connect(calibration, &QAction::triggered, this, &burst_main_window::edit_calibration);
    metrics_->add_actions(*view_menu_, *ui->menuTools, *ui->menuXxx, ui->actionClose);
    ui->menuTools->addAction(classifying_->action());
    connect(ui->actionActivity_Plot, &QAction::triggered, this, &burst_main_window::show_activity_plot);
    connect(ui->actionClose, &QAction::triggered, this, &QWidget::close);
    // The fix read-out has a line of its own under the legend: beside the hover read-out in the
    // status bar, the two overlapped in a narrow window.
    fix_read_out_ = new QLabel(centralWidget());
    fix_read_out_->setContentsMargins(6, 0, 6, 2);
    // One line high whether empty or not: hovering must not resize the burst view.
    fix_read_out_->setFixedHeight(fix_read_out_->fontMetrics().height() + 2);
    fix_read_out_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    static_cast<QGridLayout*>(centralWidget()->layout())->addWidget(fix_read_out_, 2, 0, 1, 2);
    fix_read_out_->setVisible(space_->entry_count() > 0 &&
                              events_->event_count_range(0, space_->entry_count() - 1) > 0);
    connect(panel_, &burst_paint_panel::burst_hovered, this, &burst_main_window::show_fix_of);
    ui->actionClose->setShortcut(QKeySequence(tr("Ctrl+W")));
    setAcceptDrops(true);
}

burst_main_window::~burst_main_window()
{
    trace_debug() << "~burst_main_window";
    // The labelling and the predictions paint on the panel: they go before the panel.
    delete classifying_;
    delete labelling_;
    delete metrics_;
    // The views refer to the data and the pane to the panel; they go first, the pane before the panel.
    delete detail_dock_;
    delete centralWidget();
    delete ui;
}

void burst_main_window::closeEvent(QCloseEvent* event)
{
    const QString title = tr("Close Acceleration Data");
    const QString question =
        tr("Close the acceleration data set \"%1\"?").arg(QDir::toNativeSeparators(name_));
    // Labels that closing would lose are the one question then: what to do with them.
    const bool agreed =
        labelling_->labels_at_risk()
            ? labelling_->may_close(title, question)
            : QMessageBox::question(this, title, question, QMessageBox::Close | QMessageBox::Cancel,
                                    QMessageBox::Close) == QMessageBox::Close;
    if (!agreed) {
        event->ignore();
        return;
    }
    event->accept();
    emit window_closed(this);
}

void burst_main_window::build_view_menu()
{
    view_menu_ = new QMenu(tr("View"), this);
    menuBar()->insertMenu(ui->menuTools->menuAction(), view_menu_);
    struct entry
    {
        const char* text;
        QList<QKeySequence> keys;
        std::function<void()> run;
    };
    const entry entries[] = {
        {QT_TR_NOOP("Pan Left"), {Qt::Key_Left}, [this] { panel_->pan_views(-0.25); }},
        {QT_TR_NOOP("Pan Right"), {Qt::Key_Right}, [this] { panel_->pan_views(0.25); }},
        {QT_TR_NOOP("Page Left"), {Qt::Key_PageUp}, [this] { panel_->pan_views(-1); }},
        {QT_TR_NOOP("Page Right"), {Qt::Key_PageDown}, [this] { panel_->pan_views(1); }},
        {QT_TR_NOOP("Zoom In"), {Qt::Key_Plus, Qt::Key_Equal}, [this] { panel_->zoom_about_centre(0.5); }},
        {QT_TR_NOOP("Zoom Out"), {Qt::Key_Minus}, [this] { panel_->zoom_about_centre(2); }},
        {QT_TR_NOOP("Show Whole File"), {Qt::Key_Home}, [this] { panel_->show_all(); }},
        {QT_TR_NOOP("Go to Time..."), {QKeySequence(Qt::CTRL | Qt::Key_G)}, [this] { go_to_time(); }},
    };
    for (const entry& e : entries) {
        QAction* action = view_menu_->addAction(tr(e.text));
        action->setShortcuts(e.keys);
        connect(action, &QAction::triggered, this, e.run);
    }
    view_menu_->addSeparator();
    view_menu_->addAction(detail_dock_->toggleViewAction());
    QAction* colours = view_menu_->addAction(tr("Colour-Blind-Safe Colours"));
    colours->setCheckable(true);
    colours->setChecked(QSettings().value(QStringLiteral("view/colour_blind_safe"), false).toBool());
    if (colours->isChecked())
        panel_->set_palette(axis_palette::colour_blind_safe());
    connect(colours, &QAction::toggled, this, &burst_main_window::set_colour_blind_safe);
}

QAction* burst_main_window::view_action(const QString& text) const
{
    for (QAction* a : view_menu_->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

void burst_main_window::go_to_time()
{
    const qint32 centre = panel_->view.position_at_pixel(panel_->width() / 2, panel_->width());
    const qint32 n = space_->burst_index_for_sample(centre);
    const qint64 now = n >= 0 ? space_->timestamps()[static_cast<std::size_t>(n)] : space_->begin_timestamp();
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, tr("Go to Time"), tr("UTC date and time (yyyy-MM-dd hh:mm:ss):"), QLineEdit::Normal,
        n >= 0 ? QDateTime::fromMSecsSinceEpoch(now, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
               : QString(),
        &ok);
    if (!ok)
        return;
    const std::optional<qint64> t = parse_utc_time(text);
    if (!t) {
        QMessageBox::warning(this, tr("Go to Time"),
                             tr("\"%1\" is not a UTC date and time like 2014-05-02 13:45:00.").arg(text));
        return;
    }
    const qint32 target = burst_at_time(*space_, *t);
    if (target < 0)
        return;
    panel_->jump_to_burst(target);
}

void burst_main_window::edit_calibration()
{
    const applied_calibration& applied = metrics_->applied();
    calibration_dialog dialog(calibration_tag_, applied.value, this, metrics_->stored() ? QString() : applied.assumption());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::optional<burst_calibration> c = dialog.calibration();
    QSettings settings;
    if (c)
        burst_calibration::save(settings, calibration_tag_, *c);
    else
        burst_calibration::remove(settings, calibration_tag_);
    metrics_->set_stored(c);
}

void burst_main_window::set_colour_blind_safe(bool on)
{
    QSettings().setValue(QStringLiteral("view/colour_blind_safe"), on);
    panel_->set_palette(on ? axis_palette::colour_blind_safe() : axis_palette::standard());
}

void burst_main_window::show_activity_plot()
{
    trace::out("activity plot!");
    auto* dialog = new activity_plot_dialog(this, *space_, name_, fixes_);
    connect(dialog, &activity_plot_dialog::time_clicked, this, &burst_main_window::centre_on_time);
    if (classifying_->has_predictions())
        dialog->set_behaviours([this](const activity_calculator& calc) { return classifying_->bin_colours(calc); },
                               classifying_->legend());
    window_geometry::remember(dialog, "activity_plot");
    dialog->show();
}

void burst_main_window::centre_on_time(qint64 msecs_utc)
{
    if (space_->entry_count() == 0)
        return;
    const qint32 index = std::max(0, space_->burst_index_for_timestamp(msecs_utc));
    panel_->jump_to_burst(index);
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
