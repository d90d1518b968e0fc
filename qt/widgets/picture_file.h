#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;

// Writes a picture that paint draws on a size-pixel canvas to a file as an image (PNG or another
// format Qt writes), SVG (96 pixels per inch) or PDF (one point per pixel), chosen by format (the
// lower-case suffix). The format is checked before the file is opened, so an unknown suffix never
// truncates an existing file, and the file is replaced only once the whole picture is written.
// Empty on success, else the reason.
QString save_picture_file(const QString& name, const QByteArray& format, const QSize& size,
                          const QString& title, const std::function<void(QPainter&)>& paint);
