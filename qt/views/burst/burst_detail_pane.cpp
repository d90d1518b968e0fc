#include "views/burst/burst_detail_pane.h"

#include "data/io/checked_commit.h"
#include "data/model/burst_space.h"
#include "data/model/activity_calculator.h"
#include "data/model/events_by_bursts_i.h"
#include "data/model/gps_event.h"
#include "data/metrics/burst_metrics.h"
#include "views/burst/burst_legend.h"
#include "views/burst/burst_paint_panel.h"
#include "views/burst/burst_samples_csv.h"
#include "views/burst/burst_samples_plot.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <cstdlib>

namespace {

constexpr int columns = 6; // mean, minimum, maximum, sd, dominant frequency, its amplitude

} // namespace

burst_detail_pane::burst_detail_pane(burst_paint_panel& panel, QWidget* parent)
    : QWidget(parent), panel_(panel)
{
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    units_ = new QLabel(this);
    fix_ = new QLabel(this);
    fix_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note_ = new QLabel(this);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note_->hide();
    plot_ = new burst_samples_plot(this);
    table_ = new QTableWidget(3, columns, this);
    table_->setHorizontalHeaderLabels({tr("Mean"), tr("Minimum"), tr("Maximum"), tr("Std. deviation"),
                                       tr("Dominant freq. (Hz)"), tr("Amplitude")});
    table_->setVerticalHeaderLabels({tr("X"), tr("Y"), tr("Z")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // All three rows always: a low dock scrolls the pane instead of cutting the table.
    table_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < columns; ++c)
            table_->setItem(r, c, new QTableWidgetItem);
    activity_ = new QLabel(this);
    metrics_ = new QLabel(this);
    metrics_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    previous_ = new QPushButton(tr("Previous Burst"), this);
    next_ = new QPushButton(tr("Next Burst"), this);
    copy_ = new QPushButton(tr("Copy as CSV"), this);
    save_ = new QPushButton(tr("Save as CSV..."), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {previous_, next_, copy_, save_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addWidget(summary_);
    layout->addWidget(fix_);
    layout->addWidget(note_);
    layout->addWidget(units_);
    layout->addWidget(plot_, 1);
    layout->addWidget(table_);
    layout->addWidget(metrics_);
    layout->addWidget(activity_);
    layout->addLayout(buttons);

    connect(previous_, &QPushButton::clicked, this, [this] { step(-1); });
    connect(next_, &QPushButton::clicked, this, [this] { step(1); });
    connect(copy_, &QPushButton::clicked, this, &burst_detail_pane::copy_csv);
    connect(save_, &QPushButton::clicked, this, &burst_detail_pane::save_csv);
    connect(&panel_, &burst_paint_panel::burst_selected, this, &burst_detail_pane::show_burst);
    connect(&panel_, &burst_paint_panel::layers_changed, this, &burst_detail_pane::refresh);
    show_burst(panel_.selected_burst());
}

void burst_detail_pane::set_metrics(const applied_calibration& calibration, const static_window& window)
{
    calibration_ = calibration;
    window_ = window;
    refresh();
}

void burst_detail_pane::show_burst(qint32 index)
{
    shown_ = index;
    refresh();
    refresh_note();
}

void burst_detail_pane::set_note(std::function<QString(qint32)> note)
{
    note_of_ = std::move(note);
    refresh_note();
}

void burst_detail_pane::refresh_note()
{
    const QString text = note_of_ && shown_ >= 0 ? note_of_(shown_) : QString();
    note_->setText(text);
    note_->setVisible(!text.isEmpty());
}

void burst_detail_pane::step(qint32 by)
{
    const qint32 n = shown_ + by;
    if (shown_ == -1 || n < 0 || n >= panel_.space.entry_count())
        return;
    panel_.set_selected_burst(n);
    panel_.centre_on_burst(n);
}

void burst_detail_pane::refresh()
{
    const applied_calibration applied =
        calibration_ ? *calibration_ : applied_calibration::for_tag(panel_.calibration(), QString());
    const std::optional<burst_calibration>& calibration = applied.value;
    plot_->set_calibration(calibration);
    plot_->set_palette(panel_.palette());
    plot_->set_axes_shown(panel_.axis_shown(0), panel_.axis_shown(1), panel_.axis_shown(2));
    units_->setText(applied.from == applied_calibration::source::default_by_tag
                        ? tr("Values in g (%1)").arg(applied.assumption())
                        : burst_legend::units_text(calibration.has_value()));
    const bool has = shown_ >= 0 && shown_ < panel_.space.entry_count();
    previous_->setEnabled(has && shown_ > 0);
    next_->setEnabled(has && shown_ + 1 < panel_.space.entry_count());
    copy_->setEnabled(has);
    save_->setEnabled(has);
    if (!has) {
        plot_->set_burst(nullptr);
        summary_->setText(tr("No burst selected: double-click a burst or press Enter on the selected one."));
        activity_->clear();
        metrics_->clear();
        fix_->clear();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < columns; ++c)
                table_->item(r, c)->setText(QString());
        return;
    }
    const burst& b = *panel_.space.entry(shown_).burst;
    plot_->set_burst(&b);
    // Named as in the hover read-out (from 0), with its place counted from 1.
    summary_->setText(tr("%1, %2 of %3: start %4 UTC, %5 Hz, %6 samples")
                          .arg(QString::asprintf("burst-%04d", shown_))
                          .arg(shown_ + 1)
                          .arg(panel_.space.entry_count())
                          .arg(QDateTime::fromMSecsSinceEpoch(b.start_timestamp, Qt::UTC)
                                   .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")))
                          .arg(b.sampling_frequency_per_axis)
                          .arg(b.sample_count));
    show_fix(b);
    const burst_metrics m = burst_metrics::of(b, calibration, window_);
    const int decimals = calibration ? 4 : 2;
    const auto shown = [&](double v, int places) {
        return std::isfinite(v) ? QString::number(v, 'f', places) : QString();
    };
    for (int a = 0; a < 3; ++a) {
        const axis_metrics& am = m.axis[a];
        const double figures[columns] = {am.mean, am.min, am.max, am.sd, am.dom_freq_hz, am.dom_amp};
        for (int c = 0; c < columns; ++c)
            table_->item(a, c)->setText(shown(figures[c], c == 4 ? 2 : decimals));
    }
    const QString unit = calibration ? QStringLiteral(" g") : tr(" raw");
    metrics_->setText(
        b.sample_count > 0
            ? tr("ODBA %1%2, VeDBA %3%2, pitch %4°, roll %5° (static part: %6)")
                  .arg(shown(m.odba, decimals), unit, shown(m.vedba, decimals), shown(m.pitch_deg, 1),
                       shown(m.roll_deg, 1),
                       window_.running() ? tr("running mean over %1 s").arg(window_.seconds) : tr("burst mean"))
            : QString());
    activity_->setText(tr("Activity (as in the activity plot, raw units): %1")
                           .arg(QString::number(burst_activity(b), 'f', 3)));
}

namespace {

// A span of time for people: seconds under two minutes, minutes under two hours, hours under two
// days, else days.
QString time_distance(qint64 ms)
{
    const double s = static_cast<double>(ms) / 1000;
    if (s < 120)
        return burst_detail_pane::tr("%1 s").arg(s, 0, 'f', s < 10 ? 1 : 0);
    if (s < 120 * 60)
        return burst_detail_pane::tr("%1 min").arg(s / 60, 0, 'f', 1);
    if (s < 48 * 3600)
        return burst_detail_pane::tr("%1 h").arg(s / 3600, 0, 'f', 1);
    return burst_detail_pane::tr("%1 days").arg(s / 86400, 0, 'f', 1);
}

} // namespace

void burst_detail_pane::show_fix(const burst& b)
{
    bool exact = false;
    const gps_event* fix = panel_.events.fix_for_burst(shown_, b.start_timestamp, exact);
    if (!fix) {
        fix_->setText(tr("No GPS fix in this data set."));
        return;
    }
    const qint64 d = fix->timestamp - b.start_timestamp;
    fix_->setText((exact ? tr("GPS fix: %1 UTC, lat %2, lon %3, %4 %5 the burst's start")
                         : tr("Nearest GPS fix: %1 UTC, lat %2, lon %3, %4 %5 the burst's start"))
                      .arg(QDateTime::fromMSecsSinceEpoch(fix->timestamp, Qt::UTC)
                               .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                      .arg(fix->latitude, 0, 'f', 6)
                      .arg(fix->longitude, 0, 'f', 6)
                      .arg(time_distance(std::abs(d)), d < 0 ? tr("before") : tr("after")));
}

void burst_detail_pane::copy_csv() const
{
    if (shown_ < 0)
        return;
    QApplication::clipboard()->setText(burst_samples_csv(*panel_.space.entry(shown_).burst, shown_));
}

void burst_detail_pane::save_csv()
{
    if (shown_ < 0)
        return;
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Burst Samples"),
                                                      QString::asprintf("burst-%04d.csv", shown_),
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    const QString reason = checked_save(path, burst_samples_csv(*panel_.space.entry(shown_).burst, shown_).toUtf8());
    if (!reason.isEmpty())
        QMessageBox::warning(this, tr("Save Burst Samples"), tr("Could not write the file %1: %2").arg(path, reason));
}
