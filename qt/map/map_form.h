#pragma once

#include "map/map_widget.h"
#include "map/tile_cache.h"
#include "map/tile_manager.h"

#include <QDir>
#include <QWidget>

#include <memory>

namespace Ui {
class map_form;
}

class QCloseEvent;
class QLabel;
class QNetworkAccessManager;
class QSlider;

// The single map window of a run: "zoom in", "zoom out" and a level slider above the map. Owns the
// tile cache, the tile source and the map widget, built in that order and released in reverse.
// Closing it only hides it.
class map_form : public QWidget
{
    Q_OBJECT

public:
    // tiles_dir: the per-user tiles directory (the cache lives in its "osm" sub-directory);
    // network: the application's shared access manager (not owned).
    map_form(const QDir& tiles_dir, QNetworkAccessManager* network, QWidget* parent = nullptr);
    ~map_form() override;

    QSlider* level_slider() const;
    // One line under the map naming the last tile failure, hidden once a tile arrives.
    QLabel* status_line() const { return status_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    // Puts the slider on the map's level without sending the map anywhere.
    void show_level(int level);

private:
    std::unique_ptr<Ui::map_form> ui;
    QNetworkAccessManager* network;
    QLabel* status_;

public:
    tile_cache cache;
    tile_manager tiles;
    map_widget map;
};
