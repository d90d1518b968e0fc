#include "views/metrics/metrics_control.h"

#include "data/metrics/static_window_setting.h"
#include "views/burst/burst_detail_pane.h"
#include "views/burst/burst_paint_panel.h"
#include "views/metrics/burst_table_export.h"
#include "views/metrics/metrics_job.h"
#include "views/metrics/vedba_strip.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QSettings>

namespace {

const char calibrated_display_key[] = "view/calibrated_display";

} // namespace

metrics_control::metrics_control(burst_paint_panel& panel, burst_detail_pane& pane, const QString& key,
                                 const QString& tag_number, const QString& data_path, const QString& animal,
                                 int strip_margin, QObject* parent)
    : QObject(parent), panel_(panel), pane_(pane), tag_number_(tag_number), data_path_(data_path),
      animal_(animal), strip_(std::make_unique<vedba_strip>(strip_margin))
{
    QSettings settings;
    stored_ = burst_calibration::load(settings, key);
    calibrated_display_ = new QAction(tr("Calibrated Display"), this);
    calibrated_display_->setCheckable(true);
    calibrated_display_->setChecked(settings.value(QLatin1String(calibrated_display_key), false).toBool());
    connect(calibrated_display_, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(QLatin1String(calibrated_display_key), on);
        apply();
    });
    strip_action_ = new QAction(tr("VeDBA Strip"), this);
    strip_action_->setCheckable(true);
    connect(strip_action_, &QAction::toggled, this, &metrics_control::show_strip);
    // Set here or in another burst window, the static part applies to this window's figures too.
    connect(&static_window_setting::instance(), &static_window_setting::changed, this,
            &metrics_control::apply);
    apply();
}

metrics_control::~metrics_control()
{
    panel_.remove_overlay(strip_.get());
}

void metrics_control::add_actions(QMenu& view, QMenu& tools, QMenu& file, QAction* before)
{
    view.addSeparator();
    view.addAction(calibrated_display_);
    view.addAction(strip_action_);
    QAction* window = tools.addAction(tr("Static Part of Figures..."));
    window->setObjectName(QStringLiteral("actionStatic_Part"));
    connect(window, &QAction::triggered, this, &metrics_control::ask_static_window);
    auto* export_action = new QAction(tr("Export Bursts..."), this);
    export_action->setObjectName(QStringLiteral("actionExport_Bursts"));
    connect(export_action, &QAction::triggered, this, &metrics_control::export_bursts);
    file.insertAction(before, export_action);
}

void metrics_control::set_stored(const std::optional<burst_calibration>& stored)
{
    stored_ = stored;
    apply();
}

void metrics_control::apply()
{
    applied_ = applied_calibration::for_tag(stored_, tag_number_);
    // A calibration assumed by tag number changes the burst view's picture only when asked to.
    panel_.set_calibration(stored_ ? stored_ : calibrated_display_->isChecked() ? applied_.value : std::nullopt);
    calibrated_display_->setText(applied_.from == applied_calibration::source::default_by_tag
                                     ? tr("Calibrated Display (%1)").arg(applied_.assumption())
                                     : tr("Calibrated Display"));
    calibrated_display_->setEnabled(!stored_ && applied_.value);
    window_ = static_window_setting::instance().window();
    pane_.set_metrics(applied_, window_);
    job_.reset();
    if (strip_action_->isChecked())
        show_strip(true);
}

void metrics_control::show_strip(bool on)
{
    panel_.remove_overlay(strip_.get());
    panel_.update();
    if (!on) {
        job_.reset();
        return;
    }
    job_ = std::make_unique<metrics_job>(panel_.space, applied_, window_);
    connect(job_.get(), &metrics_job::finished, this, [this] {
        if (!job_->complete())
            return;
        strip_->set_values(job_->result(), applied_.units());
        panel_.add_overlay(strip_.get());
        panel_.update();
        emit strip_ready();
    });
    job_->start();
}

void metrics_control::ask_static_window()
{
    bool ok = false;
    const double seconds = QInputDialog::getDouble(
        &pane_, tr("Static Part of Figures"),
        tr("The static part of each axis: a running mean over this many seconds\n(0: the burst mean)."),
        window_.seconds, 0, 3600, 2, &ok);
    if (!ok)
        return;
    static_window_setting::instance().set(static_window{seconds});
}

QString metrics_control::export_bursts()
{
    return burst_table_export::run(panel_.window(), panel_.space, data_path_, animal_, applied_, window_,
                                   labels_ ? labels_() : burst_label_lookup());
}
