#pragma once
// What the open-flow tests look at: the burst windows on screen and the "Open Files" rows.

#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "data/formats/loader_gps_mbd.h"
#include "app/dornvalemainwindow.h"
#include "app/pair_files_dialog.h"
#include "support/acc_layouts.h"
#include "support/gui_test_support.h"
#include "support/test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <vector>

namespace flow_test_support {

inline const QByteArray& acc_header = test_support::acc_fixed_header;

inline QList<burst_main_window*> burst_windows()
{
    QList<burst_main_window*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<burst_main_window*>(w))
            out << b;
    return out;
}

// Bursts at 10:00, 10:10, ... on 2014-05-02, two samples each.
inline QByteArray acc_file(int bursts)
{
    QByteArray out = acc_header + "\n";
    for (int i = 0; i < bursts; ++i)
        out += "1,2,2014-05-02 1" + QByteArray::number(i / 6) + ":" + QByteArray::number(i % 6) +
               "0:00.000,10,XYZ,100 2000 4000 110 2010 3990\n";
    return out;
}

// Fixes in the "eobs_" layout (header 3) at the given minutes after 10:00 on 2014-05-02, each
// 0.002 degrees east and 0.001 north of the one before, from (lon0, lat0).
inline QByteArray gps_file(const QList<int>& minutes, double lon0, double lat0)
{
    QByteArray out = QByteArray(loader_gps_mbd::header_3) + "\n";
    for (int i = 0; i < minutes.size(); ++i) {
        const int m = minutes[i];
        const QByteArray time = QString("2014-05-02 %1:%2:00.000")
                                    .arg(10 + m / 60, 2, 10, QChar('0'))
                                    .arg(m % 60, 2, 10, QChar('0'))
                                    .toLatin1();
        out += "3.9,3.8,12,1a,2,2014-05-02 00:00:00.000,\"A\",21,3,40,0.1,90,55," +
               QByteArray::number(lat0 + 0.001 * i) + "," + QByteArray::number(lon0 + 0.002 * i) + "," +
               time + ",123,4567," + time + "\n";
    }
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

// An action for choose_file's on_accepted: the chosen file becomes a directory, which exists but
// cannot be read as a file.
inline std::function<void()> turn_into_directory(const QString& path)
{
    return [path] {
        QFile::remove(path);
        QDir().mkdir(path);
    };
}

// Opens the pair dialog as it came, or with gps typed into its GPS field; notes what it proposed.
inline gui_test_support::modal_script::step accept_pair_files(const QString& gps = {},
                                                              QString* proposed = nullptr)
{
    return [=](QWidget* w) {
        auto* field = qobject_cast<pair_files_dialog*>(w) ? w->findChild<QLineEdit*>("gps_file") : nullptr;
        if (field && proposed)
            *proposed = field->text();
        if (field && !gps.isNull())
            field->setText(gps);
        return field && QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    };
}

// Clicks the main window's button, chooses path in the file dialog it opens and waits up to ten
// seconds for a new burst window. New, not one more: a window closed just before may be deleted
// while this waits.
inline bool open_through_dialog(QPushButton* button, const QString& path,
                                std::vector<gui_test_support::modal_script::step> then = {})
{
    QList<QPointer<burst_main_window>> before;
    for (burst_main_window* w : burst_windows())
        before << w;
    gui_test_support::modal_script script;
    script.then(gui_test_support::choose_file(path));
    for (auto& step : then)
        script.then(std::move(step));
    button->click();
    return QTest::qWaitFor(
        [&] {
            for (burst_main_window* w : burst_windows())
                if (!before.contains(QPointer<burst_main_window>(w)))
                    return true;
            return false;
        },
        10000);
}

} // namespace flow_test_support
