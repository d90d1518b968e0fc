#pragma once

#include "map/map_widget.h"
#include "map/event_space_layer.h"
#include "data/model/gps_event.h"
#include "tiles/tile_cache.h"
#include "tiles/tile_manager.h"

#include <QDir>
#include <QWidget>

#include <memory>

namespace Ui {
class map_form;
}

class QCloseEvent;
class QLabel;
class QMenu;
class QNetworkAccessManager;
class QPushButton;
class QSlider;
class QStatusBar;

// The single map window of a run: "zoom in", "zoom out", a level slider and "Fit to tracks" above
// the map, a status bar below (the chosen fix, the cursor's position) and a short notice in the map's
// top-left corner while tiles do not come (the server and the reason in its tooltip and the status bar). The title stays "Map - Dornvale"; the legend counts the
// data sets. Owns the tile cache, the tile source and the map widget, built in that order and
// released in reverse. Closing it only hides it. The tile source (the configured server, an MBTiles
// file or the offline basemap alone) is chosen in tile_source_menu() and remembered. The map's right-click menu colours the tracks by a value of their fixes.
class map_form : public QWidget
{
    Q_OBJECT

public:
    // tiles_dir: the per-user tiles directory (the cache lives in its "osm" sub-directory);
    // network: the application's shared access manager (not owned).
    map_form(const QDir& tiles_dir, QNetworkAccessManager* network, QWidget* parent = nullptr);
    ~map_form() override;

    QSlider* level_slider() const;
    QPushButton* fit_button() const { return fit_button_; }
    // "Colour Tracks By" in the map's right-click menu: a checkable action per track_colourings, in
    // that order, those no track has values of disabled; the choice is remembered.
    QMenu* colouring_menu() const { return colouring_menu_; }
    QStatusBar* status_bar() const { return status_bar_; }
    QLabel* cursor_label() const { return cursor_label_; }
    QLabel* tile_notice() const { return tile_notice_; }

    // "Map ▸ Tile Source": the configured server, the MBTiles files opened so far, "Offline basemap
    // only"; the one in use is checked. Owned by this window.
    QMenu* tile_source_menu() const { return source_menu_; }
    // Opens the MBTiles file as the tile source and remembers it; empty on success, else the reason
    // naming the file (the source in use stays).
    QString open_mbtiles(const QString& path);
    void use_server();
    void use_offline();
    // "2021-03-01 12:00:00 UTC  lat 52.500000  lon 13.400000".
    static QString fix_text(const gps_event& fix);
    // "lat 52.50000  lon 13.40000".
    static QString position_text(double longitude, double latitude);

public slots:
    // Asks for a file name and writes the view there as PNG, SVG or PDF (map_widget::save_image).
    void save_image_as();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Keeps the tile notice in the map's top-left corner, clear of the legends (notice_place).
    bool eventFilter(QObject* watched, QEvent* event) override;
    // MBTiles files dropped on the map window become its tile source.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    // Puts the slider on the map's level without sending the map anywhere.
    void show_level(int level);
    void fill_source_menu();
    void show_fix(event_space_layer* track, const gps_event* fix);
    void show_cursor(double longitude, double latitude);
    void show_tiles_unavailable(const QString& reason);
    void choose_colouring(track_colouring chosen);
    // Enables the colourings some track has values of.
    void update_colourings();

private:
    std::unique_ptr<Ui::map_form> ui;
    QNetworkAccessManager* network;
    QPushButton* fit_button_;
    QMenu* colouring_menu_;
    QStatusBar* status_bar_;
    QLabel* tile_notice_;
    QLabel* cursor_label_;
    QMenu* source_menu_;
    // The source in use, remembered: "server", "offline" or an MBTiles file's path.
    void remember_source(const QString& choice);
    void show_attribution();
    void place_notice();

public:
    tile_cache cache;
    tile_manager tiles;
    map_widget map;
};
