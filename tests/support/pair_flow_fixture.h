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
#include "support/http_test_server.h"
#include "support/main_window_fixture.h"
#include "support/test_support.h"

#include <QNetworkAccessManager>
#include <QPushButton>

#include <memory>

class pair_flow_fixture : public main_window_fixture
{
public:
    // Builds the window with no remembered settings and shows it; false when the tile server could
    // not listen.
    bool start_pair_flow()
    {
        test_support::clear_settings();
        tiles = std::make_unique<http_test_server>([](QTcpSocket* socket, const QByteArray&) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
        });
        if (!tiles->listening())
            return false;
        open_main_window("/tiles", &network);
        // The map window is made before any load, so its first paint already asks the local server.
        window->get_map_form()->tiles.set_base_url(tiles->base_url("/"));
        return true;
    }

    // Takes everything down; false when a burst window outlived it.
    bool stop_pair_flow()
    {
        const bool none_left = close_main_window();
        tiles.reset();
        return none_left;
    }

    QPushButton* open_button() const
    {
        return window->findChild<QPushButton*>("push_button_open_eobs_acc_and_gps_files");
    }
    void click_open() { open_button()->click(); }

    // Opens the pair of the chosen file (an acceleration file with the partner the dialog proposes); its
    // burst window, or null when none came within 10 s.
    burst_main_window* open_pair(const QString& chosen)
    {
        if (!flow_test_support::open_through_dialog(open_button(), chosen,
                                                    {flow_test_support::accept_pair_files()}))
            return nullptr;
        return state->windows().empty() ? nullptr : state->windows().back().second;
    }

    map_widget& map() { return window->get_map_form()->map; }

    QNetworkAccessManager network;
    std::unique_ptr<http_test_server> tiles;
};
