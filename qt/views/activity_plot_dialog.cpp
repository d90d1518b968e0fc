#include "views/activity_plot_dialog.h"
#include "ui_activity_plot_dialog.h"

#include "views/activity_plot.h"
#include "data/burst_space.h"
#include "data/trace.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QStyle>

activity_plot_dialog::activity_plot_dialog(QWidget* parent, const burst_space& space,
                                           const QString& file_name)
    : QDialog(parent), ui(new Ui::activity_plot_dialog)
{
    ui->setupUi(this);
    setWindowTitle(file_name + QStringLiteral(" - Activity Plot - Dornvale"));
    image = activity_plot_image(space, file_name);

    auto* label = new QLabel;
    label->setPixmap(QPixmap::fromImage(image));
    ui->scrollArea->setWidget(label);
    plot_label_ = label;
    label->installEventFilter(this);
    if (space.entry_count() > 0) {
        // The plot's whole UTC days, as the calculator lays them out.
        const auto day_of = [](qint64 t) { return t / activity_day_ms - (t % activity_day_ms < 0 ? 1 : 0); };
        plot_begin_ = day_of(space.begin_timestamp()) * activity_day_ms;
        days_ = day_of(space.end_timestamp()) - day_of(space.begin_timestamp()) + 1;
    }

    auto* export_button = new QPushButton(tr("Export"));
    ui->buttonBox->addButton(export_button, QDialogButtonBox::ActionRole);
    connect(export_button, SIGNAL(clicked()), this, SLOT(handle_button_export_clicked()));
}

activity_plot_dialog::~activity_plot_dialog()
{
    delete ui;
}

std::optional<qint64> activity_plot_dialog::time_at(const QPoint& pixel, qint64 plot_begin, qint64 days)
{
    // Day rows of 16 pixels below the 64-pixel header; a one-pixel column per bin.
    constexpr int header = 64, row = 16;
    if (pixel.x() < 0 || pixel.x() >= activity_bins_per_day || pixel.y() < header)
        return std::nullopt;
    const qint64 day = (pixel.y() - header) / row;
    if (day >= days)
        return std::nullopt;
    return plot_begin + day * activity_day_ms + pixel.x() * (activity_day_ms / activity_bins_per_day);
}

bool activity_plot_dialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == plot_label_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // Where the label shows the image inside itself.
        const QRect shown = QStyle::alignedRect(plot_label_->layoutDirection(), plot_label_->alignment(),
                                                image.size(), plot_label_->contentsRect());
        if (mouse->button() == Qt::LeftButton)
            if (const auto t = time_at(mouse->pos() - shown.topLeft(), plot_begin_, days_))
                emit time_clicked(*t);
    }
    return QDialog::eventFilter(watched, event);
}

void activity_plot_dialog::handle_button_export_clicked()
{
    trace::out("export image!");
    const QString name = QFileDialog::getSaveFileName(this, tr("Save Activity Plot Image"),
                                                      QStringLiteral("activity-plot.png"));
    trace_debug() << "filename: " << name;
    if (name.isEmpty())
        return;

    // The format is checked before the file is opened, so an unknown suffix never truncates an
    // existing file; QSaveFile replaces the target only once the whole image is written.
    const QByteArray format = QFileInfo(name).suffix().toLower().toLatin1();
    QString reason;
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format)) {
        reason = tr("the file name's suffix names no image format");
    } else {
        QSaveFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            reason = file.errorString();
        else if (!image.save(&file, format.constData()))
            reason = tr("the image could not be encoded");
        else if (!file.commit())
            reason = file.errorString();
    }
    if (!reason.isEmpty())
        QMessageBox::warning(this, tr("Export failed"),
                             tr("The activity plot could not be saved to \"%1\": %2.")
                                 .arg(QDir::toNativeSeparators(name), reason));
}
