#pragma once

#include <QDir>
#include <QtGlobal>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class QTreeWidgetItem;
class burst_main_window;
class burst_space;
class event_space;
class events_by_bursts_i;
class layer_ref;

// Registry of everything that belongs to an opened data set ("gang"), keyed by gang id.
// Lives on the GUI thread for the whole run and outlives the main window.
class app_state
{
public:
    explicit app_state(const QDir& tiles_dir);
    // Windows still registered are deleted directly: the event loop has ended by then, so a
    // deferred delete would never run.
    ~app_state();

    app_state(const app_state&) = delete;
    app_state& operator=(const app_state&) = delete;

    // Registers an acceleration-only gang under the next id and takes ownership of everything.
    void add_acc_gang(std::unique_ptr<burst_space> space, std::unique_ptr<events_by_bursts_i> events,
                      std::unique_ptr<burst_main_window> window, std::unique_ptr<QTreeWidgetItem> item);

    // Registers an acceleration+GPS gang, with the handle of its track on the map; returns its id.
    qint32 add_acc_gps_gang(std::unique_ptr<burst_space> space, std::unique_ptr<event_space> events,
                            std::unique_ptr<events_by_bursts_i> association,
                            std::unique_ptr<burst_main_window> window, std::unique_ptr<layer_ref> layer,
                            std::unique_ptr<QTreeWidgetItem> item);

    // Registers a GPS-only gang: its track and tree row, no burst window. Returns its id.
    qint32 add_gps_gang(std::unique_ptr<event_space> events, std::unique_ptr<layer_ref> layer,
                        std::unique_ptr<QTreeWidgetItem> item);

    // The gang whose tree row is item or the parent of item; -1 for none.
    qint32 gang_of_item(const QTreeWidgetItem* item) const;

    // The burst window of a gang; null for a GPS-only gang or an unknown id.
    burst_main_window* window_of(qint32 gang_id) const;

    // Number of data sets registered.
    std::size_t gang_count() const { return tree_item_by_gang.size(); }

    // The one path for a closed burst window: finds its gang (debug lines say what was found) and
    // releases it. Returns whether the gang had a map layer, so the caller repaints the map.
    bool release_window(const burst_main_window* window);

    // Releases a gang: its tree row and map layer at once; its window with deleteLater() and its data
    // when that window is gone, so memory returns while the program runs.
    void release_gang(qint32 gang_id);

    // Releases the objects that live inside the main window's widgets (tree rows, map layers);
    // the main window calls this before its widgets go, so nothing touches a destroyed tree.
    void release_view_objects();

    qint32 next_gang_id = 0;
    QDir tiles_dir_;

    std::map<qint32, std::unique_ptr<burst_space>> acc_by_gang;
    std::map<qint32, std::unique_ptr<event_space>> gps_by_gang;
    std::map<qint32, std::unique_ptr<events_by_bursts_i>> events_by_bursts_by_gang;
    std::map<qint32, std::unique_ptr<layer_ref>> layer_ref_by_gang;
    std::map<qint32, std::unique_ptr<burst_main_window>> window_by_gang;
    std::map<qint32, std::unique_ptr<QTreeWidgetItem>> tree_item_by_gang;
    std::vector<std::pair<qint32, burst_main_window*>> gang_windows;

private:
    // Registers what every gang has and returns its new id.
    qint32 add_gang(std::unique_ptr<burst_space> space, std::unique_ptr<events_by_bursts_i> events,
                    std::unique_ptr<burst_main_window> window, std::unique_ptr<QTreeWidgetItem> item);
};
