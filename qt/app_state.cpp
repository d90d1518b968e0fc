#include "app_state.h"

#include <QDebug>
#include <QTreeWidgetItem>

app_state::app_state(const QDir& tiles_dir) : tiles_dir_(tiles_dir)
{
    qDebug() << "app_state::tiles_dir_: " << tiles_dir_;
}

app_state::~app_state()
{
    gang_windows.clear();
    tree_item_by_gang.clear();
}

void app_state::release_view_objects()
{
    tree_item_by_gang.clear();
}
