#pragma once

#include "data/rhythm/lomb_scargle.h"

#include <QWidget>

// A small plot of a Lomb–Scargle periodogram: power over period (hours), the highest peak marked and
// 24 h drawn as a reference; empty with a text when no periodogram is set.
class periodogram_view : public QWidget
{
    Q_OBJECT

public:
    explicit periodogram_view(QWidget* parent = nullptr);

    // An empty text with a periodogram draws it; otherwise the text stands in its place.
    void set_periodogram(const lomb_scargle& periodogram, const QString& text = QString());

    QSize sizeHint() const override { return QSize(280, 110); }
    QSize minimumSizeHint() const override { return QSize(160, 80); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    lomb_scargle data_;
    QString text_;
};
