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

app_state::app_state(const QDir& tiles_dir) : tiles_dir_(tiles_dir)
{
    trace_debug() << "app_state::tiles_dir_: " << tiles_dir_;
}

app_state::~app_state()
{
    gang_windows.clear();
    tree_item_by_gang.clear();
    window_by_gang.clear();
    layer_ref_by_gang.clear();
    events_by_bursts_by_gang.clear();
    gps_by_gang.clear();
    acc_by_gang.clear();
}

qint32 app_state::add_gang(std::unique_ptr<burst_space> space, std::unique_ptr<events_by_bursts_i> events,
                           std::unique_ptr<burst_main_window> window, std::unique_ptr<QTreeWidgetItem> item)
{
    const qint32 gang_id = next_gang_id++;
    acc_by_gang[gang_id] = std::move(space);
    events_by_bursts_by_gang[gang_id] = std::move(events);
    window_by_gang[gang_id] = std::move(window);
    tree_item_by_gang[gang_id] = std::move(item);
    gang_windows.emplace_back(gang_id, window_by_gang[gang_id].get());
    return gang_id;
}

void app_state::add_acc_gang(std::unique_ptr<burst_space> space, std::unique_ptr<events_by_bursts_i> events,
                             std::unique_ptr<burst_main_window> window, std::unique_ptr<QTreeWidgetItem> item)
{
    add_gang(std::move(space), std::move(events), std::move(window), std::move(item));
}

qint32 app_state::add_acc_gps_gang(std::unique_ptr<burst_space> space, std::unique_ptr<event_space> events,
                                   std::unique_ptr<events_by_bursts_i> association,
                                   std::unique_ptr<burst_main_window> window,
                                   std::unique_ptr<layer_ref> layer, std::unique_ptr<QTreeWidgetItem> item)
{
    const qint32 gang_id =
        add_gang(std::move(space), std::move(association), std::move(window), std::move(item));
    gps_by_gang[gang_id] = std::move(events);
    layer_ref_by_gang[gang_id] = std::move(layer);
    return gang_id;
}

qint32 app_state::add_gps_gang(std::unique_ptr<event_space> events, std::unique_ptr<layer_ref> layer,
                               std::unique_ptr<QTreeWidgetItem> item)
{
    const qint32 gang_id = next_gang_id++;
    gps_by_gang[gang_id] = std::move(events);
    layer_ref_by_gang[gang_id] = std::move(layer);
    tree_item_by_gang[gang_id] = std::move(item);
    return gang_id;
}

qint32 app_state::gang_of_item(const QTreeWidgetItem* item) const
{
    if (item && item->parent())
        item = item->parent();
    for (const auto& entry : tree_item_by_gang)
        if (item && entry.second.get() == item)
            return entry.first;
    return -1;
}

burst_main_window* app_state::window_of(qint32 gang_id) const
{
    const auto found = window_by_gang.find(gang_id);
    return found == window_by_gang.end() ? nullptr : found->second.get();
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

template <typename Map> auto take(Map& map, qint32 gang_id)
{
    typename Map::mapped_type value;
    auto found = map.find(gang_id);
    if (found != map.end()) {
        value = std::move(found->second);
        map.erase(found);
    }
    return value;
}

} // namespace

bool app_state::release_window(const burst_main_window* window)
{
    auto found = gang_windows.begin();
    while (found != gang_windows.end() && found->second != window)
        ++found;
    if (found == gang_windows.end()) {
        trace_debug() << " no gang_id found for burst_main_window " << static_cast<const QObject*>(window);
        return false;
    }
    const qint32 gang_id = found->first;
    trace_debug() << " found! => gang_id = " << gang_id;
    if (window_by_gang.count(gang_id)) {
        trace_debug() << " found burst_main_windows for gang_id";
        gang_windows.erase(found);
    }
    const bool had_layer = layer_ref_by_gang.count(gang_id) != 0;
    if (had_layer)
        trace_debug() << " found layer_ref for gang_id";
    auto item = tree_item_by_gang.find(gang_id);
    if (item != tree_item_by_gang.end()) {
        trace_debug() << " found QTreeWidgetItem for gang_id";
        trace_debug() << "  item = " << static_cast<void*>(item->second.get());
    }
    release_gang(gang_id);
    return had_layer;
}

void app_state::release_gang(qint32 gang_id)
{
    tree_item_by_gang.erase(gang_id);
    // The track goes before the fixes it draws.
    layer_ref_by_gang.erase(gang_id);
    auto data = std::make_shared<released_data>();
    data->acc = take(acc_by_gang, gang_id);
    data->gps = take(gps_by_gang, gang_id);
    data->events = take(events_by_bursts_by_gang, gang_id);
    std::unique_ptr<burst_main_window> window = take(window_by_gang, gang_id);
    if (!window)
        return;
    // The connection owns the data; it is dropped, releasing them, when the window is destroyed.
    QObject::connect(window.get(), &QObject::destroyed, [data]() {});
    window.release()->deleteLater();
}

void app_state::release_view_objects()
{
    tree_item_by_gang.clear();
    layer_ref_by_gang.clear();
}
