#include "map/map_widget.h"

#include "data/tracks/fix_values.h"
#include "map/colour_bar.h"
#include "map/colour_ramp.h"
#include "map/drag_handler_map.h"
#include "map/event_space_layer.h"
#include "map/scale_bar.h"
#include "data/model/event_space.h"
#include "map/layer.h"
#include "tiles/tile_manager.h"
#include "data/io/trace.h"
#include "widgets/picture_file.h"

#include <QFileInfo>
#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A map pixel truncated toward zero; none for values no 64-bit pixel can hold (NaN, infinities,
// absurd coordinates from a damaged file).
std::optional<qint64> pixel_of(double v)
{
    if (!(std::fabs(v) < 4.0e18))
        return std::nullopt;
    return static_cast<qint64>(std::trunc(v));
}

// Whether a span of pixels from a to b, plus half a tile, covers fewer than three tiles.
bool spans_fit(qint64 a, qint64 b, qint64 tile_size)
{
    return (b - a + tile_size / 2) / tile_size <= 2;
}

} // namespace

map_widget::map_widget(tile_manager* tiles, QWidget* parent) : QWidget(parent), tiles_(tiles)
{
    // paintEvent covers every pixel itself, starting from white: no background fill before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(tiles_, &tile_manager::tile_is_ready, this, qOverload<>(&QWidget::update));
    tracker_.add_handler(new drag_handler_map(&view_, this));
    view_.step_up();
}

map_widget::~map_widget() = default;

std::unique_ptr<layer_ref> map_widget::add_layer(layer* l)
{
    append_layer(l);
    return std::make_unique<layer_ref>(this, l);
}

void map_widget::level_done(qint32 before)
{
    update();
    if (view_.currentLevel != before)
        emit shown_level_changed(view_.currentLevel);
}

void map_widget::increase_level()
{
    if (view_.currentLevel >= view_.maxLevel)
        return;
    const qint32 before = view_.currentLevel;
    view_.step_up();
    level_done(before);
    emit level_changed(view_.currentLevel);
}

void map_widget::decrease_level()
{
    if (view_.currentLevel <= view_.minLevel)
        return;
    const qint32 before = view_.currentLevel;
    view_.step_down();
    level_done(before);
    emit level_changed(view_.currentLevel);
}

void map_widget::set_level(int level)
{
    const qint32 before = view_.currentLevel;
    view_.go_to_level(level);
    level_done(before);
    emit level_changed(level);
}

void map_widget::fit_to_box(const geo_box& box)
{
    if (box.max_longitude < box.min_longitude || box.max_latitude < box.min_latitude) {
        trace::out("box is empty");
        return;
    }
    const double middle_latitude = (box.min_latitude + box.max_latitude) * 0.5;
    const double middle_longitude = (box.min_longitude + box.max_longitude) * 0.5;
    std::optional<qint32> best;
    qint64 cx = 0;
    qint64 cy = 0;
    for (qint32 level = view_.minLevel; level <= view_.maxLevel; ++level) {
        const map_scale scale = make_scale(level);
        const auto xw = pixel_of(longitude_to_map_x(box.min_longitude, scale));
        const auto xe = pixel_of(longitude_to_map_x(box.max_longitude, scale));
        if (!xw || !xe || !spans_fit(*xw, *xe, view_.tileSize))
            continue;
        // North has the smaller row.
        const auto yn = pixel_of(latitude_to_map_y(box.max_latitude, scale));
        const auto ys = pixel_of(latitude_to_map_y(box.min_latitude, scale));
        if (!yn || !ys || !spans_fit(*yn, *ys, view_.tileSize))
            continue;
        const auto x = pixel_of(longitude_to_map_x(middle_longitude, scale));
        const auto y = pixel_of(latitude_to_map_y(middle_latitude, scale));
        if (!x || !y)
            continue;
        best = level;
        cx = *x;
        cy = *y;
    }
    if (!best) {
        trace::out("can not fit to box");
        return;
    }
    const qint32 before = view_.currentLevel;
    view_.go_to_level(*best);
    view_.originX = cx;
    view_.originY = cy;
    if (view_.currentLevel != before)
        emit shown_level_changed(view_.currentLevel);
}

void map_widget::fit_to_tracks()
{
    geo_box box{1, 1, 0, 0};
    for (event_space_layer* track : tracks())
        box = box.joined(track->events()->bounds());
    if (box.empty())
        return;
    fit_to_box(box);
    update();
}

std::vector<event_space_layer*> map_widget::tracks() const
{
    std::vector<event_space_layer*> found;
    for (layer* l : layers())
        if (auto* track = dynamic_cast<event_space_layer*>(l))
            found.push_back(track);
    return found;
}

QColor map_widget::unused_track_colour() const
{
    const std::vector<event_space_layer*> taken = tracks();
    for (const QColor& colour : event_space_layer::palette())
        if (std::none_of(taken.begin(), taken.end(),
                         [&](event_space_layer* t) { return t->colour() == colour; }))
            return colour;
    return event_space_layer::palette()[taken.size() % event_space_layer::palette().size()];
}

std::pair<event_space_layer*, const gps_event*> map_widget::fix_at(int x, int y) const
{
    const double size = view_.scale().map_size;
    const map_pixel m = view_.widget_to_map(x, y, width(), height());
    // The pixel's centre, in Mercator units.
    const double ux = (static_cast<double>(m.x) + 0.5) / size;
    const double uy = (static_cast<double>(m.y) + 0.5) / size;
    const double radius = pick_radius / size;
    std::pair<event_space_layer*, const gps_event*> best{nullptr, nullptr};
    double best_d2 = 0;
    for (event_space_layer* track : tracks()) {
        if (!track->shown())
            continue;
        const qint32 i = track->nearest_fix(ux, uy, radius);
        if (i < 0)
            continue;
        const gps_event* fix = track->events()->events()[static_cast<std::size_t>(i)];
        const double dx = longitude_to_unit_x(fix->longitude) - ux;
        const double dy = latitude_to_unit_y(fix->latitude) - uy;
        const double d2 = dx * dx + dy * dy;
        if (!best.first || d2 <= best_d2) {
            best = {track, fix};
            best_d2 = d2;
        }
    }
    return best;
}

void map_widget::select_fix(event_space_layer* track, const gps_event* fix)
{
    for (event_space_layer* t : tracks())
        t->set_selected(t == track ? fix : nullptr);
    update();
}

void map_widget::set_attribution(const QString& text)
{
    attribution_ = text;
    update();
}

QPointF map_widget::position_at(int x, int y) const
{
    const double size = view_.scale().map_size;
    const map_pixel m = view_.widget_to_map(x, y, width(), height());
    return QPointF(unit_x_to_longitude((static_cast<double>(m.x) + 0.5) / size),
                   unit_y_to_latitude((static_cast<double>(m.y) + 0.5) / size));
}

void map_widget::layers_changed_hook()
{
    recolour();
    emit layers_changed();
}

namespace {

std::vector<double> values_of(event_space_layer* track, track_colouring colouring)
{
    if (colouring == track_colouring::vedba)
        return track->burst_values();
    if (colouring == track_colouring::behaviour)
        return track->behaviour_values();
    return fix_values::of(*track->events(), colouring);
}

} // namespace

bool map_widget::has_values(track_colouring colouring) const
{
    if (colouring == track_colouring::track)
        return true;
    for (event_space_layer* track : tracks()) {
        if (colouring == track_colouring::vedba && track->has_bursts())
            return true;
        if (colouring != track_colouring::vedba && colouring != track_colouring::behaviour) {
            if (fix_values::any(*track->events(), colouring))
                return true;
            continue;
        }
        const std::vector<double> values = values_of(track, colouring);
        if (std::any_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); }))
            return true;
    }
    return false;
}

QString map_widget::colouring_title(track_colouring colouring)
{
    switch (colouring) {
    case track_colouring::time:
        return tr("Time of fix (UTC)");
    case track_colouring::speed:
        return tr("Speed between fixes");
    case track_colouring::height:
        return tr("Height above ellipsoid");
    case track_colouring::vedba:
        return tr("VeDBA of the nearest burst");
    case track_colouring::behaviour:
        return tr("Behaviour of the nearest burst");
    case track_colouring::track:
        break;
    }
    return tr("One colour per track");
}

void map_widget::set_colouring(track_colouring colouring)
{
    colouring_ = colouring;
    recolour();
    update();
    emit colouring_chosen(colouring);
}

void map_widget::refresh_values()
{
    recolour();
    update();
    emit layers_changed();
}

void map_widget::recolour()
{
    const std::vector<event_space_layer*> all = tracks();
    std::vector<std::vector<double>> values;
    std::vector<double> joined;
    if (colouring_ == track_colouring::behaviour) {
        recolour_by_behaviour(all);
        return;
    }
    if (colouring_ != track_colouring::track)
        for (event_space_layer* track : all) {
            values.push_back(values_of(track, colouring_));
            joined.insert(joined.end(), values.back().begin(), values.back().end());
        }
    colour_scale_ = value_scale(joined, colouring_);
    if (colouring_ == track_colouring::vedba)
        for (event_space_layer* track : all)
            if (!track->burst_values().empty()) {
                colour_scale_.unit = track->burst_unit(); // "g", or "raw" without a calibration
                break;
            }
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i]->set_values(values.empty() ? std::vector<double>() : values[i], colour_scale_);
}

void map_widget::recolour_by_behaviour(const std::vector<event_space_layer*>& all)
{
    std::vector<std::vector<double>> values;
    std::vector<const value_scale::named_colours*> names;
    for (event_space_layer* track : all) {
        values.push_back(track->behaviour_values());
        names.push_back(&track->behaviour_names());
    }
    for (std::size_t i = 0; i < all.size(); ++i)
        if (values[i].empty()) // no bursts linked: every fix has no behaviour
            values[i].assign(all[i]->events()->events().size(), std::nan(""));
    colour_scale_ = value_scale::of_behaviours(values, names);
    // The grey of fixes without a behaviour gets its own entry on the legend.
    const auto none = [](const std::vector<double>& v) {
        return std::any_of(v.begin(), v.end(), [](double x) { return std::isnan(x); });
    };
    if (!colour_scale_.empty() && std::any_of(values.begin(), values.end(), none)) {
        colour_scale_.categories.emplace_back(tr("no behaviour"), colour_ramp::at(std::nan("")) & 0xffffffu);
        colour_scale_.high = double(colour_scale_.categories.size() - 1);
    }
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i]->set_values(values[i], colour_scale_);
}

void map_widget::mousePressEvent(QMouseEvent* event)
{
    tracker_.press(*event);
}

void map_widget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = tracker_.pressed && !tracker_.dragging && event->button() == Qt::LeftButton;
    tracker_.release(*event);
    if (!click)
        return;
    if (event_space_layer* entry = legend_track_at(event->pos().x(), event->pos().y())) {
        toggle_track(entry);
        return;
    }
    const auto [track, fix] = fix_at(event->pos().x(), event->pos().y());
    select_fix(track, fix);
    if (fix)
        emit fix_clicked(track, fix);
}

void map_widget::mouseMoveEvent(QMouseEvent* event)
{
    tracker_.move(*event);
    const QPointF at = position_at(event->pos().x(), event->pos().y());
    emit cursor_moved(at.x(), at.y());
}

void map_widget::wheelEvent(QWheelEvent* event)
{
    // The legacy single-axis delta: the dominant axis of the angle delta.
    const QPoint angle = event->angleDelta();
    const int delta = std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y();
    const qint64 x = static_cast<qint64>(event->position().x());
    const qint64 y = static_cast<qint64>(event->position().y());
    trace_debug() << "wheel: " << delta << angle << event->pixelDelta() << ", x:" << x << ", y:" << y;

    const qint64 zx = view_.left_x(width()) + x;
    const qint64 zy = view_.top_y(height()) + y;
    trace_debug() << " zoom origin: " << zx << ", " << zy;
    trace_debug() << " map origin: " << view_.originX << ", " << view_.originY;
    const qint64 sx = zx - view_.originX;
    const qint64 sy = zy - view_.originY;
    trace_debug() << " shift: " << sx << ", " << sy;

    const qint32 before = view_.currentLevel;
    // Only whole single notches zoom: smooth-scrolling fractions and bunched notches do not.
    if ((delta == -120 && view_.currentLevel > view_.minLevel) ||
        (delta == 120 && view_.currentLevel < view_.maxLevel)) {
        view_.originX = zx;
        view_.originY = zy;
        if (delta < 0)
            view_.step_down();
        else
            view_.step_up();
        view_.originX -= sx;
        view_.originY -= sy;
    }
    level_done(before);
}

void map_widget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint_view(painter);
    painter.end();
}

void map_widget::paint_view(QPainter& painter) const
{
    // Text in the screen's pixel size, so a saved picture's labels are those of the view.
    painter.setFont(text_font());
    painter.setBackground(QBrush(QColor(255, 255, 255, 255)));
    painter.eraseRect(rect());

    own_tiles_drawn_ = false;
    const qint32 level = view_.currentLevel;
    const tile_range range = view_.visible_tiles(width(), height());
    for (qint64 c = range.c0; c <= range.c1; ++c) {
        const qint32 column = wrap_column(c, level);
        for (qint64 r = range.r0; r <= range.r1; ++r) {
            const int row = static_cast<int>(r);
            // No tile is asked for beyond the world's top and bottom edges.
            const QPixmap* own =
                r >= 0 && r < (qint64(1) << level) ? tiles_->image(column, row, level) : nullptr;
            // A tile with transparent parts lies over the basemap.
            if (!own || own->hasAlphaChannel())
                painter.drawPixmap(range.tile_left(c), range.tile_top(r), basemap_.tile(column, row, level));
            if (own) {
                painter.drawPixmap(range.tile_left(c), range.tile_top(r), *own);
                own_tiles_drawn_ = true;
            }
        }
    }

    const map_scale scale = view_.scale();
    for (layer* l : layers())
        l->paint(&painter, scale, range.left_x, range.top_y);
    for (layer* l : layers())
        l->paint_overlay(&painter, scale, range.left_x, range.top_y);
    paint_legend(painter);
    paint_scale_bar(painter);
    paint_colour_bar(painter);
    paint_attribution(painter);
}

QString map_widget::save_image(const QString& name) const
{
    return save_picture_file(name, QFileInfo(name).suffix().toLower().toLatin1(), size(),
                             window()->windowTitle(), [this](QPainter& p) { paint_view(p); });
}

namespace {

const QColor panel_colour(255, 255, 255, 210);
constexpr int panel_margin = 6;

} // namespace

namespace {

constexpr int swatch = 18;

// The key's lines under the tracks: the selection ring, the burst mark and its nearest-fix ring.
constexpr int key_lines = 3;

QString key_text(int line)
{
    return line == 0   ? map_widget::tr("fix chosen on the map")
           : line == 1 ? map_widget::tr("fix of the burst in view")
                       : map_widget::tr("nearest fix to that burst");
}

} // namespace

map_widget::legend_layout map_widget::legend(const QFontMetrics& metrics) const
{
    legend_layout l;
    for (event_space_layer* track : tracks())
        if (!track->name().isEmpty())
            l.entries.push_back({track, QRect()});
    if (l.entries.empty())
        return l;
    const int line = metrics.height() + 2;
    const QString heading = data_sets_text(static_cast<int>(tracks().size()));
    int text_width = metrics.horizontalAdvance(heading) - swatch - 6;
    for (const auto& entry : l.entries)
        text_width = std::max(text_width, metrics.horizontalAdvance(entry.first->name()));
    for (int k = 0; k < key_lines; ++k)
        text_width = std::max(text_width, metrics.horizontalAdvance(key_text(k)));
    const int box_width = text_width + swatch + 16;
    l.box = QRect(width() - panel_margin - box_width, panel_margin, box_width,
                  (int(l.entries.size()) + key_lines + 1) * line + 12);
    l.heading = QRect(l.box.left() + 6, l.box.top() + 4, box_width - 6, line);
    int y = l.box.top() + 4 + line;
    for (auto& entry : l.entries) {
        entry.second = QRect(l.box.left(), y, box_width, line);
        y += line;
    }
    l.key_top = y + 4;
    return l;
}

event_space_layer* map_widget::legend_track_at(int x, int y) const
{
    for (const auto& entry : legend(fontMetrics()).entries)
        if (entry.second.contains(x, y))
            return entry.first;
    return nullptr;
}

QString map_widget::data_sets_text(int data_sets)
{
    return data_sets == 1 ? tr("1 data set") : tr("%1 data sets").arg(data_sets);
}

void map_widget::toggle_track(event_space_layer* track)
{
    track->set_shown(!track->shown());
    if (!track->shown())
        track->set_selected(nullptr);
    update();
}

void map_widget::paint_legend(QPainter& painter) const
{
    const legend_layout l = legend(painter.fontMetrics());
    if (l.entries.empty())
        return;
    const int line = l.entries.front().second.height();
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(panel_colour);
    painter.drawRect(l.box);
    painter.setPen(Qt::black);
    painter.drawText(l.heading, Qt::AlignVCenter | Qt::AlignLeft, data_sets_text(int(tracks().size())));
    for (const auto& [track, row] : l.entries) {
        // A hidden track's entry is greyed, its line dotted.
        const QColor ink = track->shown() ? QColor(Qt::black) : QColor(Qt::gray);
        painter.setPen(QPen(track->shown() ? track->colour() : QColor(Qt::gray), 3,
                            track->shown() ? Qt::SolidLine : Qt::DotLine));
        painter.drawLine(row.left() + 6, row.center().y(), row.left() + 6 + swatch, row.center().y());
        painter.setPen(ink);
        painter.drawText(row.adjusted(swatch + 12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, track->name());
    }
    // The key: the selection ring and the burst mark as the tracks draw them.
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor magenta(255, 0, 255);
    const QPen pens[key_lines] = {QPen(Qt::black, 3), QPen(Qt::black, 1), QPen(magenta, 2, Qt::DashLine)};
    const QBrush brushes[key_lines] = {QBrush(Qt::white), QBrush(magenta), QBrush(Qt::NoBrush)};
    for (int k = 0; k < key_lines; ++k) {
        const QRect row(l.box.left(), l.key_top + k * line, l.box.width(), line);
        const QPointF centre(row.left() + 6 + swatch / 2.0, row.center().y() + 0.5);
        painter.setPen(pens[k]);
        painter.setBrush(brushes[k]);
        painter.drawEllipse(centre, 5.0, 5.0);
        painter.setPen(Qt::black);
        painter.drawText(row.adjusted(swatch + 12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, key_text(k));
    }
    painter.restore();
}

void map_widget::paint_scale_bar(QPainter& painter) const
{
    const double latitude = position_at(width() / 2, height() / 2).y();
    const scale_bar bar = scale_bar::choose(ground_resolution(latitude, view_.currentLevel), 120);
    if (bar.metres <= 0)
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const int length = static_cast<int>(std::lround(bar.pixels));
    const int x = panel_margin + 4;
    const int y = height() - panel_margin - 6;
    painter.setPen(Qt::NoPen);
    painter.setBrush(panel_colour);
    painter.drawRect(QRect(panel_margin, y - metrics.height() - 6,
                           std::max(length, metrics.horizontalAdvance(bar.label)) + 10,
                           metrics.height() + 10));
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(x, y, x + length, y);
    painter.drawLine(x, y, x, y - 5);
    painter.drawLine(x + length, y, x + length, y - 5);
    painter.drawText(QPoint(x + 2, y - 4), bar.label);
}

QRect map_widget::colour_bar_box(const QFontMetrics& metrics) const
{
    if (colouring_ == track_colouring::track || colour_scale_.empty())
        return QRect();
    // Above the scale bar's panel.
    const int bottom = height() - panel_margin - 6 - metrics.height() - 6 - 4;
    const QSize size = colour_bar::size(metrics, colour_scale_, colouring_title(colouring_));
    return QRect(QPoint(panel_margin, bottom - size.height()), size);
}

QRect map_widget::colour_bar_box() const
{
    return colour_bar_box(QFontMetrics(text_font()));
}

QRect map_widget::legend_box() const
{
    return legend(QFontMetrics(text_font())).box;
}

QFont map_widget::text_font() const
{
    QFont text_font = font();
    text_font.setPixelSize(QFontInfo(font()).pixelSize());
    return text_font;
}

void map_widget::paint_colour_bar(QPainter& painter) const
{
    const QRect box = colour_bar_box(painter.fontMetrics());
    if (!box.isNull())
        colour_bar::paint(painter, box.bottomLeft() + QPoint(0, 1), colour_scale_, colouring_title(colouring_));
}

QString map_widget::basemap_attribution()
{
    return tr("Natural Earth");
}

QString map_widget::shown_attribution() const
{
    return own_tiles_drawn_ ? attribution_ : basemap_attribution();
}

void map_widget::paint_attribution(QPainter& painter) const
{
    const QString shown = shown_attribution();
    if (shown.isEmpty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect text = metrics.boundingRect(shown);
    const QRect box(width() - text.width() - 8, height() - metrics.height() - 4, text.width() + 8,
                    metrics.height() + 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(panel_colour);
    painter.drawRect(box);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, shown);
}
