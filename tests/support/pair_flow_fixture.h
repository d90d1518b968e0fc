#pragma once
// The main window of the pair-opening tests: a temporary tiles directory, the map asking a tile
// server of the test's own on 127.0.0.1 that answers every tile with 404, and
// "Open E-OBS Acceleration and GPS Files" driven through its file dialog. Header-only, for tests
// that link dornvale_app.

#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/dornvalemainwindow.h"
#include "map/map_form.h"
#include "map/map_widget.h"
#include "support/flow_test_support.h"
#include "support/gui_test_support.h"
#include "support/http_test_server.h"
#include "support/test_support.h"

#include <QNetworkAccessManager>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class pair_flow_fixture
{
public:
    // Builds the window and shows it; false when the tile server could not listen.
    bool start_pair_flow()
    {
        tiles = std::make_unique<http_test_server>([](QTcpSocket* socket, const QByteArray&) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
        });
        if (!tiles->listening())
            return false;
        dir = std::make_unique<QTemporaryDir>();
        state = std::make_unique<app_state>(QDir(dir->path() + "/tiles"));
        window = std::make_unique<dornvalemainwindow>(state.get(), &network);
        window->show();
        // The map window is made before any load, so its first paint already asks the local server.
        window->get_map_form()->tiles.set_base_url(tiles->base_url("/"));
        return true;
    }

    // Takes everything down; false when a burst window outlived it.
    bool stop_pair_flow()
    {
        window.reset();
        state.reset();
        QTest::qWait(10);
        const bool none_left = flow_test_support::burst_windows().isEmpty();
        tiles.reset();
        return none_left;
    }

    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = dir->path() + "/" + name;
        test_support::write_file(path, content);
        return path;
    }

    void click_open() { window->findChild<QPushButton*>("push_button_open_eobs_acc_and_gps_files")->click(); }

    // Opens the pair of the chosen file; its burst window, or null when none came within 10 s.
    burst_main_window* open_pair(const QString& chosen)
    {
        const int before = flow_test_support::burst_windows().size();
        gui_test_support::modal_script script;
        script.then(gui_test_support::choose_file(chosen));
        click_open();
        if (!QTest::qWaitFor([&] { return flow_test_support::burst_windows().size() == before + 1; }, 10000))
            return nullptr;
        return state->gang_windows.empty() ? nullptr : state->gang_windows.back().second;
    }

    map_widget& map() { return window->get_map_form()->map; }

    QNetworkAccessManager network;
    std::unique_ptr<http_test_server> tiles;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<app_state> state;
    std::unique_ptr<dornvalemainwindow> window;
};
