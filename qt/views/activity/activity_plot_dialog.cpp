#include "views/activity/activity_plot_dialog.h"
#include "data/io/checked_commit.h"
#include "ui_activity_plot_dialog.h"

#include "data/model/activity_csv.h"
#include "data/model/event_space.h"
#include "data/rhythm/day_positions.h"
#include "data/rhythm/rhythm_csv.h"
#include "data/rhythm/sun_schedule.h"
#include "views/activity/activity_plot_view.h"
#include "views/activity/periodogram_view.h"
#include "data/io/trace.h"
#include "widgets/picture_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QStringList>

#include <cmath>

namespace {

constexpr int zoom_choices[] = {activity_plot_view::zoom_fit, 2, 4};

} // namespace

activity_plot_dialog::activity_plot_dialog(QWidget* parent, const burst_space& space,
                                           const QString& file_name, const event_space* fixes)
    : QDialog(parent), ui(new Ui::activity_plot_dialog), space_(space), file_name_(file_name)
{
    ui->setupUi(this);
    setWindowTitle(file_name + QStringLiteral(" - Activity Plot - Dornvale"));
    if (fixes)
        fixes_ = fixes->events();
    add_rhythm_widgets();

    // A span too long to draw shows why instead of a plot, with nothing to change or export.
    const QString refusal = activity_plot_refusal(space);
    if (refusal.isEmpty()) {
        view_ = new activity_plot_view;
        ui->scrollArea->setWidget(view_);
        connect(view_, &activity_plot_view::time_clicked, this, &activity_plot_dialog::time_clicked);
        set_options(activity_plot_options());
    } else {
        auto* label = new QLabel(refusal);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        ui->scrollArea->setWidget(label);
        ui->zoomBox->setEnabled(false);
        ui->doublePlotBox->setEnabled(false);
        ui->utcOffsetBox->setEnabled(false);
        sun_box_->setEnabled(false);
        night_box_->setEnabled(false);
        position_edit_->setEnabled(false);
    }

    auto* export_button = new QPushButton(tr("Export"));
    export_button->setEnabled(refusal.isEmpty());
    ui->buttonBox->addButton(export_button, QDialogButtonBox::ActionRole);
    connect(export_button, &QPushButton::clicked, this, &activity_plot_dialog::handle_button_export_clicked);
    auto* export_figure_button = new QPushButton(tr("Export Figure…"));
    export_figure_button->setEnabled(refusal.isEmpty());
    ui->buttonBox->addButton(export_figure_button, QDialogButtonBox::ActionRole);
    connect(export_figure_button, &QPushButton::clicked, this,
            &activity_plot_dialog::handle_button_export_figure_clicked);
    auto* export_data_button = new QPushButton(tr("Export Data…"));
    export_data_button->setEnabled(refusal.isEmpty());
    ui->buttonBox->addButton(export_data_button, QDialogButtonBox::ActionRole);
    connect(export_data_button, &QPushButton::clicked, this,
            &activity_plot_dialog::handle_button_export_data_clicked);

    connect(ui->zoomBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { view_->set_zoom(zoom_choices[index]); });
    connect(ui->doublePlotBox, &QCheckBox::toggled, this, [this](bool on) {
        activity_plot_options o = options_;
        o.double_plot = on;
        set_options(o);
    });
    connect(ui->utcOffsetBox, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int minutes) {
        activity_plot_options o = options_;
        o.utc_offset_minutes = minutes;
        set_options(o);
    });
    connect(sun_box_, &QCheckBox::toggled, this, [this](bool on) {
        activity_plot_options o = options_;
        o.sun_times = on;
        set_options(o);
    });
    connect(night_box_, &QCheckBox::toggled, this, [this](bool on) {
        activity_plot_options o = options_;
        o.shade_night = on;
        set_options(o);
    });
    connect(position_edit_, &QLineEdit::editingFinished, this, &activity_plot_dialog::take_typed_position);
    position_edit_->installEventFilter(this);
}

bool activity_plot_dialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == position_edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            take_typed_position();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void activity_plot_dialog::add_rhythm_widgets()
{
    auto* row = new QHBoxLayout;
    sun_box_ = new QCheckBox(tr("Sun times"));
    sun_box_->setObjectName(QStringLiteral("sunBox"));
    sun_box_->setToolTip(tr("Sunrise and sunset (NOAA's equations) at the day's median GPS position"));
    night_box_ = new QCheckBox(tr("Shade night"));
    night_box_->setObjectName(QStringLiteral("nightBox"));
    night_box_->setToolTip(tr("Tints the bins between sunset and sunrise"));
    auto* position_label = new QLabel(tr("Position:"));
    position_edit_ = new QLineEdit;
    position_edit_->setObjectName(QStringLiteral("positionEdit"));
    position_label->setBuddy(position_edit_);
    if (fixes_.empty()) {
        position_edit_->setPlaceholderText(tr("latitude, longitude"));
        position_edit_->setToolTip(tr("Without GPS fixes: the position for the sun's times, in degrees "
                                      "north and east, like 47.73, 9.06"));
    } else {
        position_edit_->setPlaceholderText(fixes_.size() == 1 ? tr("from 1 GPS fix")
                                                              : tr("from %1 GPS fixes").arg(fixes_.size()));
        position_edit_->setEnabled(false);
    }
    row->addWidget(sun_box_);
    row->addWidget(night_box_);
    row->addWidget(position_label);
    row->addWidget(position_edit_, 1);
    ui->verticalLayout->insertLayout(1, row);

    auto* box = new QGroupBox(tr("Rhythm"));
    box->setObjectName(QStringLiteral("rhythmBox"));
    auto* box_row = new QHBoxLayout(box);
    figures_label_ = new QLabel;
    figures_label_->setObjectName(QStringLiteral("figuresLabel"));
    figures_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    periodogram_ = new periodogram_view;
    periodogram_->setObjectName(QStringLiteral("periodogram"));
    box_row->addWidget(figures_label_, 1);
    box_row->addWidget(periodogram_, 1);
    ui->verticalLayout->insertWidget(3, box);
}

void activity_plot_dialog::take_typed_position()
{
    const QString text = position_edit_->text().trimmed();
    if (text.isEmpty()) {
        typed_position_.reset();
    } else {
        static const QRegularExpression pair(
            QStringLiteral("^([-+]?[0-9]*\\.?[0-9]+)\\s*[,;\\s]\\s*([-+]?[0-9]*\\.?[0-9]+)$"));
        const QRegularExpressionMatch m = pair.match(text);
        if (!m.hasMatch()) {
            ui->statusBar->showMessage(tr("\"%1\" is not a position: type the latitude and the longitude in "
                                          "degrees, like 47.73, 9.06.")
                                           .arg(text));
            return;
        }
        const double lat = m.captured(1).toDouble(), lon = m.captured(2).toDouble();
        if (lat < -90 || lat > 90 || lon < -180 || lon > 180) {
            ui->statusBar->showMessage(tr("The position %1 is refused: the latitude must lie within ±90° and "
                                          "the longitude within ±180°.")
                                           .arg(text));
            return;
        }
        if (typed_position_ && typed_position_->first == lat && typed_position_->second == lon)
            return;
        typed_position_ = std::make_pair(lat, lon);
    }
    ui->statusBar->clearMessage();
    if (calc_)
        set_options(options_);
}

void activity_plot_dialog::update_sun()
{
    sun_.reset();
    if (!calc_ || !(options_.sun_times || options_.shade_night))
        return;
    const qint64 days = calc_->duration / activity_day_ms;
    std::vector<day_position> positions;
    if (!fixes_.empty()) {
        positions = day_positions(fixes_, calc_->plot_begin, days);
    } else if (typed_position_) {
        day_position p;
        p.latitude = typed_position_->first;
        p.longitude = typed_position_->second;
        positions.assign(std::size_t(days), p);
    }
    if (positions.empty()) {
        ui->statusBar->showMessage(
            tr("No GPS fixes for this data set: type a position for the sun's times."));
        return;
    }
    sun_ = std::make_unique<sun_schedule>(positions, calc_->plot_begin, calc_->bin_width);
}

QString activity_plot_dialog::figures_text() const
{
    const rhythm_figures& f = figures_;
    const auto hours = [](double h) { return QString::number(h, 'f', 1); };
    QStringList lines;
    lines << tr("Days with data: %1").arg(f.days);
    if (std::isnan(f.l5)) {
        lines << tr("L5, M10, RA: no bins with data");
    } else {
        lines << tr("L5: %1 from %2 h").arg(rhythm_number(f.l5), hours(f.l5_start));
        lines << tr("M10: %1 from %2 h").arg(rhythm_number(f.m10), hours(f.m10_start));
        lines << tr("RA: %1").arg(rhythm_number(f.ra, 3));
    }
    if (!f.enough_days()) {
        lines << tr("IS, IV, period: need at least %1 days with data").arg(rhythm_figures::min_days);
    } else {
        lines << tr("IS: %1   IV: %2").arg(rhythm_number(f.is, 3), rhythm_number(f.iv, 3));
        lines << tr("Period: %1 h, power %2, FAP %3")
                     .arg(QString::number(f.period.best_period, 'f', 2), rhythm_number(f.period.best_power, 4),
                          rhythm_number(f.period.fap, 2));
    }
    return lines.join(QLatin1Char('\n'));
}

activity_plot_dialog::~activity_plot_dialog()
{
    // The field loses its focus while the dialog is taken apart: its editingFinished must not reach
    // this half-destroyed dialog.
    if (position_edit_) {
        position_edit_->disconnect(this);
        position_edit_->removeEventFilter(this);
    }
    delete ui;
}

void activity_plot_dialog::set_options(const activity_plot_options& options)
{
    // The bins follow the clock's days, so only a new offset needs the values computed again.
    if (!calc_ || options.utc_offset_minutes != options_.utc_offset_minutes) {
        auto calc = std::make_unique<activity_calculator>(space_, options.utc_offset_ms());
        if (calc->too_long) {
            // An offset can add a day to a span at the limit: the plot stays at the offset it had.
            ui->statusBar->showMessage(activity_plot_refusal(space_, options.utc_offset_ms()));
            const QSignalBlocker blocker(ui->utcOffsetBox);
            ui->utcOffsetBox->setValue(options_.utc_offset_minutes);
            return;
        }
        calc_ = std::move(calc);
        figures_ = rhythm_figures::compute(calc_->activities, calc_->samples);
        figures_label_->setText(figures_text());
        periodogram_->set_periodogram(figures_.period,
                                      figures_.has_period ? QString()
                                                          : tr("Periodogram: needs at least %1 days with data")
                                                                .arg(rhythm_figures::min_days));
    }
    options_ = options;
    update_sun();
    if (behaviours_)
        options_.behaviour_rgb = behaviours_(*calc_);
    generated_ = QDateTime::currentDateTime();
    image = activity_plot_image(*calc_, file_name_, options_, generated_, sun_.get());
    view_->set_plot(calc_.get(), options_, sun_.get());
}

void activity_plot_dialog::set_behaviours(behaviour_source behaviours,
                                          std::vector<std::pair<QString, quint32>> legend)
{
    if (!calc_)
        return;
    behaviours_ = std::move(behaviours);
    activity_plot_options o = options_;
    o.behaviour_legend = std::move(legend);
    set_options(o);
}

QString activity_plot_dialog::save_picture(const QString& name, const QByteArray& format) const
{
    return save_picture_file(name, format, image.size(), windowTitle(), [this](QPainter& p) {
        paint_activity_plot(p, *calc_, file_name_, options_, generated_, sun_.get());
    });
}

void activity_plot_dialog::report_export(const QString& name, const QString& reason, const QString& failed,
                                         const QString& saved)
{
    const QString shown = QDir::toNativeSeparators(name);
    if (reason.isEmpty())
        ui->statusBar->showMessage(saved.arg(shown));
    else
        QMessageBox::warning(this, tr("Export failed"), failed.arg(shown, reason));
}

void activity_plot_dialog::handle_button_export_clicked()
{
    if (!calc_)
        return; // a refused span has no picture
    trace::out("export image!");
    const QString name = QFileDialog::getSaveFileName(
        this, tr("Save Activity Plot Image"), activity_export_path(file_name_, QStringLiteral("png")));
    trace_debug() << "filename: " << name;
    if (name.isEmpty())
        return;

    report_export(name, save_picture(name, QFileInfo(name).suffix().toLower().toLatin1()),
                  tr("The activity plot could not be saved to \"%1\": %2."), tr("Activity plot saved to %1"));
}

void activity_plot_dialog::handle_button_export_figure_clicked()
{
    if (!calc_)
        return;
    QString filter = tr("PNG image, 2× (*.png)");
    const QString name = QFileDialog::getSaveFileName(
        this, tr("Save Activity Figure"), activity_export_path(file_name_, QStringLiteral("png")),
        tr("PNG image, 2× (*.png);;PNG image, 4× (*.png);;SVG (*.svg);;PDF (*.pdf)"), &filter);
    if (name.isEmpty())
        return;
    const QByteArray format = QFileInfo(name).suffix().toLower().toLatin1();
    const int scale = format == "png" ? (filter.contains(QStringLiteral("4×")) ? 4 : 2) : 1;
    const QString title = QFileInfo(file_name_).fileName();
    const QSize pixels = activity_figure_size(*calc_, title, options_, sun_.get()) * scale;
    QString reason;
    if (format != "png" && format != "svg" && format != "pdf")
        reason = tr("the file name's suffix names no figure format (png, svg or pdf)");
    else if (format == "png" && qint64(pixels.width()) * pixels.height() > activity_figure_png_limit)
        reason = activity_figure_png_refusal(pixels);
    else
        reason = save_picture_file(name, format, pixels, windowTitle(), [&](QPainter& p) {
            p.scale(scale, scale);
            paint_activity_figure(p, *calc_, title, options_, sun_.get());
        });
    report_export(name, reason, tr("The activity figure could not be saved to \"%1\": %2."),
                  tr("Activity figure saved to %1"));
}

void activity_plot_dialog::handle_button_export_data_clicked()
{
    if (!calc_)
        return;
    const QString name = QFileDialog::getSaveFileName(
        this, tr("Save Activity Data"), activity_export_path(file_name_, QStringLiteral("csv")));
    if (name.isEmpty())
        return;

    QString reason;
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else if (!write_activity_csv(*calc_, file, &reason)) {
        file.cancelWriting();
        if (reason.isEmpty())
            reason = tr("the data could not be written");
    } else {
        reason = checked_commit(file);
    }
    report_export(name, reason, tr("The activity data could not be saved to \"%1\": %2."),
                  tr("Activity data saved to %1"));
    if (!reason.isEmpty())
        return;
    const QFileInfo info(name);
    const QString figures = info.dir().filePath(info.completeBaseName() + QStringLiteral("-rhythm.csv"));
    if (QFileInfo::exists(figures) &&
        QMessageBox::question(this, tr("Replace Rhythm Figures"),
                              tr("%1 already exists. Replace it with the rhythm figures of this plot?")
                                  .arg(QDir::toNativeSeparators(figures)),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    // The data's confirmation stays in the status bar; only a failure is told.
    const QString why = save_figures(figures);
    if (!why.isEmpty())
        QMessageBox::warning(this, tr("Export failed"),
                             tr("The rhythm figures could not be saved to \"%1\": %2.")
                                 .arg(QDir::toNativeSeparators(figures), why));
}

QString activity_plot_dialog::save_figures(const QString& name)
{
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QByteArray bytes =
        QByteArray(rhythm_summary_header) + rhythm_summary_row(QFileInfo(file_name_).fileName(), figures_).toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return file.errorString();
    }
    return checked_commit(file);
}
