#include "app/track_export_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace {

const char format_key[] = "track_export/format";
const char folder_key[] = "track_export/folder";
const track_format formats[] = {track_format::gpx, track_format::kml, track_format::geojson};

} // namespace

track_export_dialog::track_export_dialog(const QString& offered, int tracks, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Export Track"));
    auto* form = new QFormLayout(this);
    auto* told = new QLabel(
        tracks == 1 ? tr("The track on the map is written to a file of its own.")
                    : tr("Each of the %1 tracks on the map is written to a file of its own.").arg(tracks),
        this);
    told->setWordWrap(true);
    form->addRow(told);
    format_ = new QComboBox(this);
    format_->addItems({tr("GPX 1.1 (.gpx)"), tr("KML (.kml)"), tr("GeoJSON (.geojson)")});
    const QString remembered = QSettings().value(format_key).toString();
    for (int i = 0; i < 3; ++i)
        if (track_format_suffix(formats[i]) == remembered)
            format_->setCurrentIndex(i);
    form->addRow(tr("Format:"), format_);
    folder_ =
        new QLineEdit(QDir::toNativeSeparators(QSettings().value(folder_key, offered).toString()), this);
    auto* browse = new QPushButton(tr("Browse..."), this);
    auto* row = new QHBoxLayout;
    row->addWidget(folder_, 1);
    row->addWidget(browse);
    form->addRow(tr("Folder:"), row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Export"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, tr("Export Track to Folder"), folder());
        if (!chosen.isEmpty())
            folder_->setText(QDir::toNativeSeparators(chosen));
    });
    setMinimumWidth(480);
}

track_format track_export_dialog::format() const
{
    return formats[std::max(0, format_->currentIndex())];
}

QString track_export_dialog::folder() const
{
    return QDir::fromNativeSeparators(folder_->text().trimmed());
}

void track_export_dialog::remember() const
{
    QSettings().setValue(format_key, track_format_suffix(format()));
    QSettings().setValue(folder_key, folder());
}
