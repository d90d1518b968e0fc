#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include <optional>

class QLabel;
class burst_space;

namespace Ui {
class activity_plot_dialog;
}

// Shows the activity plot of one acceleration file in a scroll area and exports it as an image file.
// The plot is computed once, in the constructor.
class activity_plot_dialog : public QDialog
{
    Q_OBJECT

public:
    activity_plot_dialog(QWidget* parent, const burst_space& space, const QString& file_name);
    ~activity_plot_dialog() override;

    const QImage& plot_image() const { return image; }

    // The start (ms UTC) of the bin at a pixel of a plot starting at plot_begin with the given
    // number of day rows; none outside the bins.
    static std::optional<qint64> time_at(const QPoint& pixel, qint64 plot_begin, qint64 days);

signals:
    // A click on a bin of the plot: the bin's start.
    void time_clicked(qint64 msecs_utc);

public slots:
    // Asks for a file name and saves the image there in the format its suffix names; a failed save
    // is reported in a warning naming the file.
    void handle_button_export_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Ui::activity_plot_dialog* ui;
    QImage image;
    QLabel* plot_label_ = nullptr;
    qint64 plot_begin_ = 0;
    qint64 days_ = 0;
};
