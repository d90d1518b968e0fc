#pragma once

#include "views/drag_tracker.h"
#include "data/geo_box.h"
#include "map/layer_host.h"
#include "map/layer_ref.h"
#include "map/zoom_state.h"

#include <QWidget>

#include <memory>
#include <vector>

class layer;
class tile_manager;

// The tiled, pannable Web Mercator map: paints the tiles of the current level around the origin,
// then its layers in order. A left drag pans, a wheel notch zooms one level about the cursor, and
// fit_to_box frames a longitude/latitude box. GUI thread only; repaints are requested with update().
class map_widget : public QWidget, public layer_host
{
    Q_OBJECT

public:
    // tiles is not owned and must outlive the widget. Starts at level 1, origin (256, 256).
    explicit map_widget(tile_manager* tiles, QWidget* parent = nullptr);
    ~map_widget() override;

    // Appends the layer (ownership passes to the returned handle). Does not repaint.
    std::unique_ptr<layer_ref> add_layer(layer* l);

    // Highest level (and its centre) at which the box spans fewer than three tiles each way, half a
    // tile included. "box is empty" / "can not fit to box" on standard output leave the view alone.
    // Does not repaint and does not emit level_changed.
    void fit_to_box(const geo_box& box);

    const zoom_state& view() const { return view_; }

signals:
    // Emitted by the three level slots after they ran.
    void level_changed(int level);
    // Emitted whenever the level shown changes, whatever changed it (slots, wheel, fit_to_box), so
    // a level control can follow the map without sending it anywhere.
    void shown_level_changed(int level);

public slots:
    // One level in / out about the widget centre; nothing at all at a bound.
    void increase_level();
    void decrease_level();
    // Steps to the level about the centre; emits level_changed also when it was current already.
    void set_level(int level);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Repaints and announces the level shown when it differs from before.
    void level_done(qint32 before);

    drag_tracker tracker_;
    tile_manager* tiles_;
    zoom_state view_;
};
