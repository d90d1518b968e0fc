#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

#include <memory>

namespace Ui {
class dornvalemainwindow;
}

class QNetworkAccessManager;
class QTreeWidget;
class app_state;
class burst_main_window;
class map_form;

// The application's main window: "Quick Start" open buttons, the "Open Files" tree,
// the update notice, About and Exit.
class dornvalemainwindow : public QMainWindow
{
    Q_OBJECT

public:
    dornvalemainwindow(app_state* state, QNetworkAccessManager* manager, QWidget* parent = nullptr);
    ~dornvalemainwindow() override;

    QTreeWidget* open_files_tree();
    app_state* state();

    // The single map window, created over state()->tiles_dir_ and shown on first use; later calls
    // return it as it is, shown or hidden.
    map_form* get_map_form();

    // Opens the collapsed tree pane (sizes 100 and 400); leaves a user-set splitter alone.
    void reveal_open_files();

    // Top-left position that centres a window in the available area; integer division,
    // no clamping (a window larger than the area gets negative offsets).
    static QPoint centred_position(const QRect& available, const QSize& window);

    // Rich text of the update notice; the version is escaped, the address appears twice.
    static QString update_notice_text(const QString& version, const QUrl& download_url);

    // Only plain web addresses are offered as download links.
    static bool is_web_url(const QUrl& url);

public slots:
    void on_softwareUpdateAvailable(QString version, QUrl downloadUrl, QUrl);
    void window_closed(burst_main_window* w);

private slots:
    void on_actionExit_triggered();
    void on_actionAbout_triggered();
    void on_push_button_open_eobs_acc_file_clicked();
    void on_push_button_open_eobs_acc_and_gps_files_clicked();

private:
    Ui::dornvalemainwindow* ui;
    app_state* state_;
    QNetworkAccessManager* manager_;
    std::unique_ptr<map_form> map_form_;
};
