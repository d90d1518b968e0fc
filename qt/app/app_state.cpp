#include "app/app_state.h"

#include "app/burst_main_window.h"
#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts_i.h"
#include "map/layer_ref.h"
#include "data/io/trace.h"

#include <QTreeWidgetItem>

#ifdef __GLIBC__
#include <malloc.h>
#endif

opened_data_set::opened_data_set() = default;
opened_data_set::opened_data_set(opened_data_set&&) noexcept = default;
opened_data_set& opened_data_set::operator=(opened_data_set&&) noexcept = default;
opened_data_set::~opened_data_set() = default;

app_state::app_state(const QDir& tiles_dir) : tiles_dir_(tiles_dir)
{
    trace_debug() << "app_state::tiles_dir_: " << tiles_dir_;
}

app_state::~app_state()
{
    // Whatever shows data goes before any data, as each record's own order has it within a record.
    for (auto& entry : data_sets) {
        entry.second.row.reset();
        entry.second.window.reset();
        entry.second.track.reset();
    }
    data_sets.clear();
}

qint32 app_state::add(opened_data_set set)
{
    const qint32 gang_id = next_gang_id++;
    data_sets.emplace(gang_id, std::move(set));
    return gang_id;
}

qint32 app_state::gang_of_item(const QTreeWidgetItem* item) const
{
    if (item && item->parent())
        item = item->parent();
    for (const auto& entry : data_sets)
        if (item && entry.second.row.get() == item)
            return entry.first;
    return -1;
}

burst_main_window* app_state::window_of(qint32 gang_id) const
{
    const auto found = data_sets.find(gang_id);
    return found == data_sets.end() ? nullptr : found->second.window.get();
}

std::vector<std::pair<qint32, burst_main_window*>> app_state::windows() const
{
    std::vector<std::pair<qint32, burst_main_window*>> out;
    for (const auto& entry : data_sets)
        if (entry.second.window)
            out.emplace_back(entry.first, entry.second.window.get());
    return out;
}

namespace {

// The data of a released gang, kept until its window (whose views refer to them) is destroyed.
struct released_data
{
    std::unique_ptr<burst_space> acc;
    std::unique_ptr<event_space> gps;
    std::unique_ptr<events_by_bursts_i> events;
    ~released_data()
    {
        events.reset();
        gps.reset();
        acc.reset();
#ifdef __GLIBC__
        // Hand the freed pages of a large file back to the system.
        malloc_trim(0);
#endif
    }
};

} // namespace

bool app_state::release_window(const burst_main_window* window)
{
    auto found = data_sets.begin();
    while (found != data_sets.end() && found->second.window.get() != window)
        ++found;
    if (!window || found == data_sets.end()) {
        trace_debug() << " no gang_id found for burst_main_window " << static_cast<const QObject*>(window);
        return false;
    }
    const qint32 gang_id = found->first;
    const opened_data_set& set = found->second;
    trace_debug() << " found! => gang_id = " << gang_id;
    trace_debug() << " found burst_main_windows for gang_id";
    const bool had_layer = set.track != nullptr;
    if (had_layer)
        trace_debug() << " found layer_ref for gang_id";
    if (set.row) {
        trace_debug() << " found QTreeWidgetItem for gang_id";
        trace_debug() << "  item = " << static_cast<void*>(set.row.get());
    }
    release_gang(gang_id);
    return had_layer;
}

void app_state::release_gang(qint32 gang_id)
{
    const auto found = data_sets.find(gang_id);
    if (found == data_sets.end())
        return;
    opened_data_set set = std::move(found->second);
    data_sets.erase(found);
    set.row.reset();
    // The track goes before the fixes it draws.
    set.track.reset();
    auto data = std::make_shared<released_data>();
    data->acc = std::move(set.bursts);
    data->gps = std::move(set.fixes);
    data->events = std::move(set.association);
    std::unique_ptr<burst_main_window> window = std::move(set.window);
    if (!window)
        return;
    // The connection owns the data; it is dropped, releasing them, when the window is destroyed.
    QObject::connect(window.get(), &QObject::destroyed, [data]() {});
    window.release()->deleteLater();
}

void app_state::release_view_objects()
{
    for (auto& entry : data_sets) {
        entry.second.row.reset();
        entry.second.track.reset();
    }
}
