#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

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

public slots:
    // Asks for a file name and saves the image there in the format its suffix names; a failed save
    // is reported in a warning naming the file.
    void handle_button_export_clicked();

private:
    Ui::activity_plot_dialog* ui;
    QImage image;
};
