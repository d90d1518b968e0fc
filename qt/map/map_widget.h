#pragma once

#include "widgets/drag_tracker.h"
#include "data/model/geo_box.h"
#include "data/tracks/track_colouring.h"
#include "data/tracks/value_scale.h"
#include "map/event_space_layer.h"
#include "data/model/gps_event.h"
#include "map/layer_host.h"
#include "map/layer_ref.h"
#include "map/zoom_state.h"
#include "tiles/basemap.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class layer;
class tile_manager;

// The tiled, pannable Web Mercator map: paints the tiles of the current level around the origin (the
// offline basemap wherever a tile has no image), then its layers in order. A left drag pans, a wheel notch zooms one level about the cursor, and
// fit_to_box frames a longitude/latitude box. A click within pick_radius pixels of a track's fix
// selects it. Over the layers it draws the legend of named tracks with a key to the selection ring
// and the burst mark (top right; a click on a track's entry hides or shows the track), a metric
// scale bar (bottom left) and the tile attribution (bottom right). GUI thread only; repaints are
// requested with update().
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

    // Frames the fixes of every track (as fit_to_box) and repaints; nothing without tracks.
    void fit_to_tracks();

    const zoom_state& view() const { return view_; }

    // The tracks on the map, in painting order.
    std::vector<event_space_layer*> tracks() const;
    // The first palette colour no track uses (the palette's first when all are taken).
    QColor unused_track_colour() const;

    // The fix of any track nearest to widget point (x, y) within pick_radius pixels; null when
    // none. Ties between tracks go to the one painted last (on top).
    std::pair<event_space_layer*, const gps_event*> fix_at(int x, int y) const;
    static constexpr double pick_radius = 8.0;

    // Selects the fix on its track and clears every other track's selection (fix null: none).
    // Repaints; emits nothing.
    void select_fix(event_space_layer* track, const gps_event* fix);

    // The tile source's required credit, drawn in the bottom-right corner while some of its tiles
    // are drawn.
    void set_attribution(const QString& text);
    const QString& attribution() const { return attribution_; }
    // The credit drawn at the last paint: the tile source's, else the offline basemap's ("Natural Earth").
    QString shown_attribution() const;
    static QString basemap_attribution();

    // Where the legend of named tracks and the colour bar are painted; null when not drawn.
    QRect legend_box() const;
    QRect colour_bar_box() const;

    // The geographic position under widget point (x, y).
    QPointF position_at(int x, int y) const;

    // The named track whose legend entry holds widget point (x, y); null when none.
    event_space_layer* legend_track_at(int x, int y) const;
    // Hides a shown track or shows a hidden one, clearing a hidden track's selection; repaints.
    void toggle_track(event_space_layer* track);

    // The heading of the legend: "1 data set", "2 data sets".
    static QString data_sets_text(int data_sets);
    // Colours every track by a value of its fixes on one scale over all tracks, with a colour bar
    // above the scale bar; track (the default) gives each track its own colour. Kept for tracks added
    // later. Repaints.
    void set_colouring(track_colouring colouring);
    track_colouring colouring() const { return colouring_; }
    // The colouring's scale over every track; empty when no track has a value of it.
    const value_scale& colour_scale() const { return colour_scale_; }
    // Whether some track has a value of the colouring for some fix (VeDBA: a track with bursts;
    // behaviour: a fix whose nearest burst is labelled or predicted).
    bool has_values(track_colouring colouring) const;
    // Takes up values that changed under the tracks (the bursts' VeDBA once computed, their
    // behaviours); repaints.
    void refresh_values();
    // The colour bar's title: "Time of fix (UTC)", "Speed between fixes", ...
    static QString colouring_title(track_colouring colouring);

    // Writes the view as it is painted (tiles, tracks, legend, scale bar, attribution) to name, in
    // the format of its suffix as save_picture_file takes it; empty on success, else the reason.
    QString save_image(const QString& name) const;

signals:
    // A click picked the fix of the track; it is selected already.
    void fix_clicked(event_space_layer* track, const gps_event* fix);
    // The cursor moved over the map to this longitude and latitude (degrees).
    void cursor_moved(double longitude, double latitude);
    // A layer was added or removed, or the tracks' values changed.
    void layers_changed();
    // set_colouring chose a colouring (emitted also when it was current).
    void colouring_chosen(track_colouring colouring);

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

    void layers_changed_hook() override;

private:
    // Where the legend goes: its box, each named track's entry, and the top of the key lines.
    struct legend_layout
    {
        QRect box;
        QRect heading;
        std::vector<std::pair<event_space_layer*, QRect>> entries;
        int key_top = 0;
    };
    legend_layout legend(const QFontMetrics& metrics) const;
    // The font of the map's text, in the screen's pixel size.
    QFont text_font() const;
    QRect colour_bar_box(const QFontMetrics& metrics) const;
    // Everything paintEvent draws, on any painter of the widget's size.
    void paint_view(QPainter& painter) const;
    void paint_legend(QPainter& painter) const;
    void paint_scale_bar(QPainter& painter) const;
    void paint_colour_bar(QPainter& painter) const;
    // Gives every track its values and the shared scale of the colouring.
    void recolour();
    // recolour for behaviour: one list of the behaviours present over every track.
    void recolour_by_behaviour(const std::vector<event_space_layer*>& all);
    void paint_attribution(QPainter& painter) const;

    // Repaints and announces the level shown when it differs from before.
    void level_done(qint32 before);

    drag_tracker tracker_;
    tile_manager* tiles_;
    mutable basemap basemap_;
    zoom_state view_;
    QString attribution_;
    mutable bool own_tiles_drawn_ = false; // at the last paint
    track_colouring colouring_ = track_colouring::track;
    value_scale colour_scale_;
};
