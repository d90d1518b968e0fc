#pragma once

#include <QDir>
#include <QtGlobal>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class QTreeWidgetItem;
class burst_main_window;

// Registry of everything that belongs to an opened data set ("gang"), keyed by gang id.
// Lives on the GUI thread for the whole run and outlives the main window.
class app_state
{
public:
    explicit app_state(const QDir& tiles_dir);
    ~app_state();

    app_state(const app_state&) = delete;
    app_state& operator=(const app_state&) = delete;

    // Releases the objects that live inside the main window's widgets (tree rows, map layers);
    // the main window calls this before its widgets go, so nothing touches a destroyed tree.
    void release_view_objects();

    qint32 next_gang_id = 0;
    QDir tiles_dir_;

    std::map<qint32, std::unique_ptr<QTreeWidgetItem>> tree_item_by_gang;
    std::vector<std::pair<qint32, burst_main_window*>> gang_windows;
};
