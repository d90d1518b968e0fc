#pragma once

#include "map/layer.h"

#include <QColor>
#include <QPointF>
#include <QRgb>
#include <QString>

#include <limits>
#include <list>
#include <utility>
#include <vector>

class event_space;
class value_scale;
struct gps_event;

// The track of one GPS file on the map: a thin line in its colour through its fixes in file order,
// drawn once (not repeated in the world's copies east and west). Its overlay marks the first fix
// (ring) and the last (square), a dot per fix once they lie apart, the selected fix and the fix
// marked from the burst view.
class event_space_layer : public layer
{
public:
    // The track colours, in the order new tracks take them.
    static const std::vector<QColor>& palette();

    // events is not owned and must outlive the layer. name labels the track in the map's legend
    // (none when empty).
    explicit event_space_layer(const event_space* events, const QColor& colour = QColor("#2020ff"),
                               const QString& name = QString());

    // Segments wholly outside the painted area are left out and runs of fixes within one device
    // pixel are joined, so the picture is that of the full path to within a pixel.
    void paint(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y) override;

    void paint_overlay(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y) override;

    const event_space* events() const { return events_; }
    const QColor& colour() const { return colour_; }
    const QString& name() const { return name_; }

    // The fix nearest to the Mercator point within radius (Mercator units), or -1; ties go to the
    // earlier fix in file order. Searches a projection sorted by x.
    qint32 nearest_fix(double unit_x, double unit_y, double radius) const;

    // The fix chosen on the map (null: none); must be one of this layer's fixes.
    const gps_event* selected() const { return selected_; }
    void set_selected(const gps_event* fix) { selected_ = fix; }
    // The fix of the burst under attention in the burst view (null: none); exact false draws it as
    // the nearest fix in time of a burst without one.
    const gps_event* marked() const { return marked_; }
    bool marked_exact() const { return marked_exact_; }
    void set_marked(const gps_event* fix, bool exact)
    {
        marked_ = fix;
        marked_exact_ = exact;
    }

    // A hidden track paints nothing and offers no fix to pick; the map's legend still lists it.
    bool shown() const { return shown_; }
    void set_shown(bool shown) { shown_ = shown; }

    // Colours the line and dots by one value per fix (file order) on the colour ramp between the
    // scale's ends, a segment in the colour of the fix it ends at; no values: the track's colour. A
    // scale with categories colours each value by its category, grey where it has none.
    void set_values(const std::vector<double>& values, const value_scale& scale);
    bool coloured_by_value() const { return !fix_colours_.empty(); }
    // The colour of each fix set by set_values; empty in the track's colour.
    const std::vector<QRgb>& fix_colours() const { return fix_colours_; }
    // Whether the track's data set has bursts, whose VeDBA can colour it once computed.
    bool has_bursts() const { return has_bursts_; }
    void set_has_bursts(bool has) { has_bursts_ = has; }
    // One value per fix from the bursts' metrics (the nearest burst's VeDBA) in unit; empty: none yet.
    const std::vector<double>& burst_values() const { return burst_values_; }
    const QString& burst_unit() const { return burst_unit_; }
    void set_burst_values(std::vector<double> values, const QString& unit)
    {
        burst_values_ = std::move(values);
        burst_unit_ = unit;
    }

    // One value per fix: the index into behaviour_names of its nearest burst's behaviour (NaN: none);
    // the names with their colours (0xRRGGBB). Empty: the track has no linked bursts.
    const std::vector<double>& behaviour_values() const { return behaviour_values_; }
    const std::vector<std::pair<QString, quint32>>& behaviour_names() const { return behaviour_names_; }
    void set_behaviours(std::vector<double> values, std::vector<std::pair<QString, quint32>> names)
    {
        behaviour_values_ = std::move(values);
        behaviour_names_ = std::move(names);
    }

    // Dots are drawn once the median step between consecutive fixes is this many pixels or more.
    static constexpr double dot_spacing = 6.0;

private:
    const event_space* events_;
    // The fixes in Mercator units (0 ... 1 across the world), projected once: every paint of
    // every level only scales and shifts them.
    std::vector<QPointF> units_;
    std::vector<QPointF> run_; // scratch for one paint, kept so a repaint does not allocate
    std::vector<qint32> by_x_; // fix indices sorted by Mercator x
    // Median distance between consecutive fixes in Mercator units (infinite with fewer than two).
    double median_step_ = std::numeric_limits<double>::infinity();
    QColor colour_;
    QString name_;
    const gps_event* selected_ = nullptr;
    const gps_event* marked_ = nullptr;
    bool marked_exact_ = false;
    bool shown_ = true;
    std::vector<QRgb> fix_colours_; // one per fix when coloured by value, else empty
    std::vector<double> burst_values_;
    QString burst_unit_;
    std::vector<double> behaviour_values_;
    std::vector<std::pair<QString, quint32>> behaviour_names_;
    bool has_bursts_ = false;

    // The track at one level in map pixels, runs of fixes within near_enough of each other joined:
    // built once per level, a pan only shifts it.
    struct level_track
    {
        double map_size;
        double near_enough;
        std::vector<QPointF> points;
        std::vector<QRgb> colours; // of each point's fix, when coloured by value
    };
    static constexpr std::size_t kept_levels = 4;
    const level_track& level_points(double map_size, double near_enough);
    std::list<level_track> levels_; // the most recently painted first
};
