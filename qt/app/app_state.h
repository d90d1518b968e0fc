#pragma once

#include <QDir>
#include <QString>
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

// Everything that belongs to one opened data set ("gang"): its data, and what shows them. A set has
// bursts, fixes or both; a burst window and an association where it has bursts, a track where it has
// fixes. The members go in reverse order: the row, the window and the track before the data they show.
struct opened_data_set
{
    opened_data_set();
    opened_data_set(opened_data_set&&) noexcept;
    opened_data_set& operator=(opened_data_set&&) noexcept;
    ~opened_data_set();

    std::unique_ptr<burst_space> bursts;
    std::unique_ptr<event_space> fixes;
    std::unique_ptr<events_by_bursts_i> association;
    std::unique_ptr<layer_ref> track;
    std::unique_ptr<burst_main_window> window;
    std::unique_ptr<QTreeWidgetItem> row;
    // Where the data came from: the files, and the animal of a file of several (else empty).
    QString acc_file, gps_file, animal;
};

// Registry of the opened data sets, keyed by gang id, one record each. Lives on the GUI thread for
// the whole run and outlives the main window.
class app_state
{
public:
    explicit app_state(const QDir& tiles_dir);
    // Windows still registered are deleted directly: the event loop has ended by then, so a
    // deferred delete would never run.
    ~app_state();

    // Registers a data set under the next id, taking ownership of everything; returns its id.
    qint32 add(opened_data_set set);

    // The gang whose tree row is item or the parent of item; -1 for none.
    qint32 gang_of_item(const QTreeWidgetItem* item) const;

    // The burst window of a gang; null for a GPS-only gang or an unknown id.
    burst_main_window* window_of(qint32 gang_id) const;

    // The burst windows with their gang ids, in the order they were opened.
    std::vector<std::pair<qint32, burst_main_window*>> windows() const;

    // Number of data sets registered.
    std::size_t gang_count() const { return data_sets.size(); }

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

    std::map<qint32, opened_data_set> data_sets;
};
