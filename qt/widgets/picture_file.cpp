#include "widgets/picture_file.h"

#include "data/io/checked_commit.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("picture_file", text);
}

} // namespace

QString save_picture_file(const QString& name, const QByteArray& format, const QSize& size,
                          const QString& title, const std::function<void(QPainter&)>& paint)
{
    const bool vector = format == "svg" || format == "pdf";
    if (!vector && (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format)))
        return tr("the file name's suffix names no image format");
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (format == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setResolution(96);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(title);
        QPainter p(&svg);
        paint(p);
    } else if (format == "pdf") {
        QPdfWriter pdf(&file);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Dornvale"));
        QPainter p;
        if (!p.begin(&pdf))
            return tr("the PDF could not be started");
        paint(p);
    } else {
        QImage image(size, QImage::Format_RGB888);
        if (image.isNull())
            return tr("not enough memory for the image");
        image.fill(Qt::white);
        {
            QPainter p(&image);
            paint(p);
        }
        if (!image.save(&file, format.constData()))
            return tr("the image could not be encoded");
    }
    return checked_commit(file);
}
