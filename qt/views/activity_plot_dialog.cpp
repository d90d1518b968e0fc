#include "views/activity_plot_dialog.h"
#include "ui_activity_plot_dialog.h"

#include "views/activity_plot.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>

#include <iostream>

activity_plot_dialog::activity_plot_dialog(QWidget* parent, const burst_space& space,
                                           const QString& file_name)
    : QDialog(parent), ui(new Ui::activity_plot_dialog)
{
    ui->setupUi(this);
    setWindowTitle(file_name + QStringLiteral(" - Activity Plot - Dornvale"));
    QString refusal = activity_plot_refusal(space);
    if (refusal.isEmpty()) {
        image = activity_plot_image(space, file_name);
        if (image.isNull())
            refusal = tr("The activity plot is not drawn: there is not enough memory for its image.");
    }

    auto* label = new QLabel;
    if (refusal.isEmpty()) {
        label->setPixmap(QPixmap::fromImage(image));
    } else {
        label->setText(refusal);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    ui->scrollArea->setWidget(label);

    auto* export_button = new QPushButton(tr("Export"));
    export_button->setEnabled(refusal.isEmpty());
    ui->buttonBox->addButton(export_button, QDialogButtonBox::ActionRole);
    connect(export_button, SIGNAL(clicked()), this, SLOT(handle_button_export_clicked()));
}

activity_plot_dialog::~activity_plot_dialog()
{
    delete ui;
}

void activity_plot_dialog::handle_button_export_clicked()
{
    std::cout << "export image!" << std::endl;
    const QString name = QFileDialog::getSaveFileName(this, tr("Save Activity Plot Image"),
                                                      QStringLiteral("activity-plot.png"));
    qDebug() << "filename: " << name;
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
