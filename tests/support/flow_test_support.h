#pragma once
// What the open-flow tests look at: the burst windows on screen and the "Open Files" rows.

#include "app/burst_main_window.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTreeWidget>

namespace flow_test_support {

inline const QByteArray acc_header =
    "key-bin-checksum,tag-serial-number,start-timestamp,"
    "acceleration-sampling-frequency-per-axis,acceleration-axes,accelerations-raw";

inline QList<burst_main_window*> burst_windows()
{
    QList<burst_main_window*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<burst_main_window*>(w))
            out << b;
    return out;
}

// Top-level rows, each followed by its children indented by two blanks.
inline QStringList tree_rows(QTreeWidget* tree)
{
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        out << item->text(0);
        for (int c = 0; c < item->childCount(); ++c)
            out << "  " + item->child(c)->text(0);
    }
    return out;
}

} // namespace flow_test_support
