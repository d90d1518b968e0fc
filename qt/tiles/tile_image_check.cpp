#include "tiles/tile_image_check.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

bool tile_image_check::decode(const QByteArray& data, QPixmap& image, QString& refusal)
{
    refusal.clear();
    if (data.size() > max_bytes) {
        refusal = QStringLiteral("the reply is larger than %1 bytes").arg(max_bytes);
        return false;
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid())
        return false;
    if (size.width() > max_side || size.height() > max_side) {
        refusal = QStringLiteral("the image is %1 x %2 pixels, more than %3 x %3")
                      .arg(size.width())
                      .arg(size.height())
                      .arg(max_side);
        return false;
    }
    QImage decoded;
    if (!reader.read(&decoded) || decoded.width() > max_side || decoded.height() > max_side)
        return false;
    image = QPixmap::fromImage(decoded);
    return true;
}
