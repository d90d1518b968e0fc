#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QString>

// The checks a tile passes before it is decoded, shown or cached, whether it comes from the server
// or from the disk cache: at most max_bytes, an image format Qt reads, and at most max_side pixels
// each way according to the image's own header, read before anything is decoded (a small file can
// announce a huge image).
class tile_image_check
{
public:
    static constexpr qint64 max_bytes = 2 << 20;
    static constexpr int max_side = 512;

    // Decodes data into image. On failure leaves image alone and returns false, with refusal naming
    // the broken bound (one line), or empty when data is simply not an image.
    static bool decode(const QByteArray& data, QPixmap& image, QString& refusal);
};
