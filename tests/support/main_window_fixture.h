#pragma once
// The main window over its app state and a fresh temporary folder, as the tests build them: held by
// a test class (opened in init(), closed in cleanup()) or on a test function's stack. Header-only,
// for tests that link dornvale_app.

#include "app/app_state.h"
#include "app/dornvalemainwindow.h"
#include "support/flow_test_support.h"
#include "support/shown_message.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QTest>

#include <memory>

class main_window_fixture
{
public:
    main_window_fixture() = default;
    main_window_fixture(const main_window_fixture&) = delete;
    main_window_fixture& operator=(const main_window_fixture&) = delete;
    // The window goes before the state it points to, as at the end of the program.
    ~main_window_fixture()
    {
        window.reset();
        state.reset();
    }

    // The state over `tiles` below the folder ("" for the folder itself) and the window on it, not
    // shown; its map asks network for tiles (null: no downloads).
    dornvalemainwindow& build_main_window(const QString& tiles = QString(),
                                          QNetworkAccessManager* network = nullptr)
    {
        tiles_ = tiles;
        return build_window_on(std::make_unique<app_state>(QDir(folder().path() + tiles)), network);
    }
    // The same, shown.
    dornvalemainwindow& open_main_window(const QString& tiles = QString(),
                                         QNetworkAccessManager* network = nullptr)
    {
        build_main_window(tiles, network).show();
        return *window;
    }
    // A window, not shown, on a state the test made; the fixture keeps both and takes them down.
    dornvalemainwindow& build_window_on(std::unique_ptr<app_state> given, QNetworkAccessManager* network)
    {
        window.reset();
        state = std::move(given);
        window = std::make_unique<dornvalemainwindow>(state.get(), network);
        return *window;
    }
    // The program started again over the same folder, shown: only the settings are left of the last run.
    dornvalemainwindow& restart_main_window(QNetworkAccessManager* network = nullptr)
    {
        window.reset();
        return open_main_window(tiles_, network);
    }
    // Deletes the window, the state and the folder, and lets deferred deletes run; true when no burst
    // window is left.
    bool close_main_window()
    {
        window.reset();
        state.reset();
        dir.reset();
        QTest::qWait(10);
        return flow_test_support::burst_windows().isEmpty();
    }

    // The temporary folder, made on first use, so that a test can write its files before the window.
    temp_folder& folder()
    {
        if (!dir)
            dir = std::make_unique<temp_folder>();
        return *dir;
    }
    QString write(const QString& name, const QByteArray& content) { return folder().write(name, content); }

    // Chooses path behind button; the text of the "Open failed" message, or what went otherwise:
    // another title, a window or a data set opened.
    QString refused_open(QAbstractButton* button, const QString& path)
    {
        const shown_message shown = shown_message::on_choosing(button, path);
        if (shown.title != "Open failed")
            return "a message titled \"" + shown.title + "\": " + shown.text;
        if (!flow_test_support::burst_windows().isEmpty() || state->next_gang_id != 0)
            return "a data set opened after: " + shown.text;
        return shown.text;
    }

    std::unique_ptr<temp_folder> dir;
    std::unique_ptr<app_state> state;
    std::unique_ptr<dornvalemainwindow> window;

private:
    QString tiles_;
};
