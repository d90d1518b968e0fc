#include "views/activity/activity_plot_dialog.h"
#include "ui_activity_plot_dialog.h"

#include "data/model/activity_csv.h"
#include "views/activity/activity_plot_view.h"
#include "data/io/trace.h"
#include "widgets/picture_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>

namespace {

constexpr int zoom_choices[] = {activity_plot_view::zoom_fit, 2, 4};

} // namespace

activity_plot_dialog::activity_plot_dialog(QWidget* parent, const burst_space& space,
                                           const QString& file_name)
    : QDialog(parent), ui(new Ui::activity_plot_dialog), space_(space), file_name_(file_name)
{
    ui->setupUi(this);
    setWindowTitle(file_name + QStringLiteral(" - Activity Plot - Dornvale"));

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
    }

    auto* export_button = new QPushButton(tr("Export"));
    export_button->setEnabled(refusal.isEmpty());
    ui->buttonBox->addButton(export_button, QDialogButtonBox::ActionRole);
    connect(export_button, &QPushButton::clicked, this, &activity_plot_dialog::handle_button_export_clicked);
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
}

activity_plot_dialog::~activity_plot_dialog()
{
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
    }
    options_ = options;
    if (behaviours_)
        options_.behaviour_rgb = behaviours_(*calc_);
    generated_ = QDateTime::currentDateTime();
    image = activity_plot_image(*calc_, file_name_, options_, generated_);
    view_->set_plot(calc_.get(), options_);
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
        paint_activity_plot(p, *calc_, file_name_, options_, generated_);
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
    } else if (!file.commit()) {
        reason = file.errorString();
    }
    report_export(name, reason, tr("The activity data could not be saved to \"%1\": %2."),
                  tr("Activity data saved to %1"));
}
