#pragma once

#include "data/rhythm/rhythm_figures.h"
#include "views/activity/activity_plot.h"

#include <QDateTime>
#include <QDialog>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class activity_plot_view;
class burst_space;
class event_space;
class periodogram_view;
class sun_schedule;
struct day_position;
struct gps_event;

namespace Ui {
class activity_plot_dialog;
}

// Shows the activity plot of one acceleration file with an hour axis, dates and a legend, at a zoom
// and with options the user picks, and exports the picture (PNG and the other image formats, SVG,
// PDF) and the numbers behind it (CSV, with the rhythm figures beside it). Sunrise and sunset come from
// the fixes of the linked GPS data set, or from a position the user types. The space and the fixes
// must outlive the dialog.
class activity_plot_dialog : public QDialog
{
    Q_OBJECT

public:
    // file_name is the data file's path: it titles the dialog and places the exports beside it.
    // fixes: the linked GPS data set's, null for none.
    activity_plot_dialog(QWidget* parent, const burst_space& space, const QString& file_name,
                         const event_space* fixes = nullptr);
    ~activity_plot_dialog() override;

    // The picture with the current options, as exported.
    // A span activity_plot_refusal names has none of these: a null image, no calculator, no view.
    const QImage& plot_image() const { return image; }
    const activity_calculator& calculator() const { return *calc_; }
    const activity_plot_options& options() const { return options_; }
    activity_plot_view* view() const { return view_; }
    // The rhythm figures of the current bins; the sun for them, null while no option needs it or
    // no position is known.
    const rhythm_figures& figures() const { return figures_; }
    const sun_schedule* sun() const { return sun_.get(); }
    // The figures as shown, one line each.
    QString figures_text() const;

    // Colours each bin by its most frequent behaviour: behaviours gives, for a calculator, the colour
    // per bin (see activity_plot_options::behaviour_rgb); legend names the colours.
    using behaviour_source = std::function<std::vector<qint32>(const activity_calculator&)>;
    void set_behaviours(behaviour_source behaviours, std::vector<std::pair<QString, quint32>> legend);

signals:
    // A click on a bin of the plot: the bin's start.
    void time_clicked(qint64 msecs_utc);

public slots:
    // Asks for a file name and saves the picture there in the format its suffix names (an image
    // format, "svg" or "pdf"); a failed save is reported in a warning naming the file.
    void handle_button_export_clicked();
    // Asks for a file name and a scale and saves the figure for a report (paint_activity_figure) there as
    // PNG at that scale, SVG or PDF.
    void handle_button_export_figure_clicked();
    // Asks for a file name and saves the values behind the picture there as CSV.
    void handle_button_export_data_clicked();

protected:
    // Enter in the position field applies the position and stops there: it must not press the
    // dialog's default button (an export).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void set_options(const activity_plot_options& options);
    void add_rhythm_widgets();
    // Takes the typed position when it is one inside ±90 / ±180; else says why in the status bar.
    void take_typed_position();
    // Rebuilds the sun for the current bins when an option needs it and a position is known.
    void update_sun();
    // The summary of the figures beside the data file csv_name; empty on success, else the reason.
    QString save_figures(const QString& csv_name);
    QString save_picture(const QString& name, const QByteArray& format) const;
    // A failed export (reason not empty) is warned about with failed ("%1" the file, "%2" the reason),
    // a saved one confirmed in the status bar with saved ("%1" the file).
    void report_export(const QString& name, const QString& reason, const QString& failed,
                       const QString& saved);

    Ui::activity_plot_dialog* ui;
    const burst_space& space_;
    const QString file_name_;
    std::unique_ptr<activity_calculator> calc_;
    behaviour_source behaviours_;
    activity_plot_options options_;
    QDateTime generated_;
    QImage image;
    activity_plot_view* view_ = nullptr;

    std::vector<const gps_event*> fixes_;
    std::optional<std::pair<double, double>> typed_position_; // latitude, longitude
    std::unique_ptr<sun_schedule> sun_;
    rhythm_figures figures_;
    QCheckBox* sun_box_ = nullptr;
    QCheckBox* night_box_ = nullptr;
    QLineEdit* position_edit_ = nullptr;
    QLabel* figures_label_ = nullptr;
    periodogram_view* periodogram_ = nullptr;
};
