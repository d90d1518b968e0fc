// Main window form, About dialog, update notice, centring and tiles directory.
#include "app/about_dialog.h"
#include "app/app_paths.h"
#include "app/app_state.h"
#include "util/build_settings.h"
#include "app/dornvalemainwindow.h"
#include "support/test_support.h"
#include "data/formats/csv_field.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/data_table.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QStatusBar>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <iostream>
#include <memory>
#include <sstream>

using gui_test_support::when_modal;

namespace {

using message_capture = test_support::debug_capture;

} // namespace

class test_foundation : public QObject
{
    Q_OBJECT

private slots:
    void main_window_form();
    void splitter_starts_collapsed_and_reveals_once();
    void centring_data();
    void centring();
    void tiles_dir_existing();
    void tiles_dir_created_with_parents();
    void tiles_dir_cannot_be_created();
    void about_dialog_texts();
    void about_dialog_escape_and_close_reject();
    void update_notice_text_has_version_and_address_twice();
    void update_notice_escapes_version();
    void update_notice_shown_only_for_web_urls_data();
    void update_notice_shown_only_for_web_urls();
    void window_closed_for_unknown_window_changes_nothing();
    void shutdown_with_registered_rows_touches_no_destroyed_tree();
    void exit_prints_quit_and_ends_loop();
    void unquote_rules_data();
    void unquote_rules();
    void build_settings_override();
};

void test_foundation::main_window_form()
{
    main_window_fixture f;
    dornvalemainwindow& w = f.build_main_window();
    QCOMPARE(w.objectName(), QString("dornvalemainwindow"));
    QCOMPARE(w.size(), QSize(800, 600));
    QCOMPARE(w.windowTitle(), QString("MainWindow"));
    QCOMPARE(w.registry(), f.state.get());

    auto* tree = w.findChild<QTreeWidget*>("treeWidget");
    QVERIFY(tree);
    QCOMPARE(w.open_files_tree(), tree);
    QCOMPARE(tree->columnCount(), 1);
    QCOMPARE(tree->headerItem()->text(0), QString("Open Files"));

    auto* tabs = w.findChild<QTabWidget*>("tabWidget");
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QString("Quick Start"));
    QCOMPARE(tabs->widget(0)->objectName(), QString("tab"));

    auto* acc = w.findChild<QPushButton*>("push_button_open_eobs_acc_file");
    QVERIFY(acc);
    QCOMPARE(acc->geometry(), QRect(10, 10, 361, 41));
    QCOMPARE(acc->text(), QString("Open E-OBS Acceleration File"));
    auto* pair = w.findChild<QPushButton*>("push_button_open_eobs_acc_and_gps_files");
    QVERIFY(pair);
    QCOMPARE(pair->geometry(), QRect(10, 60, 361, 41));
    QCOMPARE(pair->text(), QString("Open E-OBS Acceleration and GPS Files"));

    auto* central = w.findChild<QWidget*>("centralwidget");
    QCOMPARE(w.centralWidget(), central);
    QVERIFY(central->layout());
    QCOMPARE(central->layout()->objectName(), QString("horizontalLayout"));
    const QMargins m = central->layout()->contentsMargins();
    QCOMPARE(m.left(), 0);
    QCOMPARE(m.right(), 0);
    QCOMPARE(m.bottom(), 0);

    auto* menubar = w.findChild<QMenuBar*>("menubar");
    QVERIFY(menubar);
    auto* file_menu = w.findChild<QMenu*>("menuFile");
    auto* help_menu = w.findChild<QMenu*>("menuHelp");
    QVERIFY(file_menu && help_menu);
    QCOMPARE(file_menu->title(), QString("File"));
    QCOMPARE(help_menu->title(), QString("Help"));
    auto* window_menu = w.findChild<QMenu*>("menuWindow");
    QVERIFY(window_menu);
    QCOMPARE(window_menu->title(), QString("Window"));
    auto* map_menu = w.findChild<QMenu*>("menuMap");
    QVERIFY(map_menu);
    QCOMPARE(map_menu->title(), QString("Map"));
    QCOMPARE(menubar->actions().size(), 4);
    QCOMPARE(menubar->actions().at(0), file_menu->menuAction());
    QCOMPARE(menubar->actions().at(1), map_menu->menuAction());
    QCOMPARE(menubar->actions().at(2), window_menu->menuAction());
    QCOMPARE(menubar->actions().at(3), help_menu->menuAction());
    auto* exit = w.findChild<QAction*>("actionExit");
    auto* about = w.findChild<QAction*>("actionAbout");
    QVERIFY(exit && about);
    QCOMPARE(exit->text(), QString("Exit"));
    QCOMPARE(about->text(), QString("About"));
    // File: the four open commands, Open Recent, a separator, Save Map Image, Export Track, Close
    // window and Exit, with their keys.
    const QList<QAction*> file_actions = file_menu->actions();
    QCOMPARE(file_actions.size(), 10);
    const QList<QPair<QString, QKeySequence>> expected{
        {"Open Acceleration File", QKeySequence("Ctrl+O")},
        {"Open Acceleration and GPS Files", QKeySequence("Ctrl+Shift+O")},
        {"Open GPS File...", QKeySequence()},
        {"Open Map Tiles...", QKeySequence()},
        {"Open Recent", QKeySequence()},
        {"", QKeySequence()},
        {"Save Map Image...", QKeySequence()},
        {"Export Track...", QKeySequence()},
        {"Close window", QKeySequence("Ctrl+W")},
        {"Exit", QKeySequence("Ctrl+Q")}};
    for (int i = 0; i < file_actions.size(); ++i) {
        QCOMPARE(file_actions[i]->text(), expected[i].first);
        QCOMPARE(file_actions[i]->shortcut(), expected[i].second);
    }
    QVERIFY(file_actions[5]->isSeparator());
    QCOMPARE(file_actions[4]->menu(), w.findChild<QMenu*>("menuRecent"));
    QCOMPARE(file_actions[9], exit);
    // Help: the user guide (F1), then About.
    auto* guide = w.findChild<QAction*>("actionUser_Guide");
    QCOMPARE(help_menu->actions(), (QList<QAction*>{guide, about}));
    QCOMPARE(guide->shortcut(), QKeySequence(QKeySequence::HelpContents));
    QVERIFY(w.findChild<QStatusBar*>("statusbar"));
}

void test_foundation::splitter_starts_collapsed_and_reveals_once()
{
    main_window_fixture f;
    dornvalemainwindow& w = f.build_main_window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* splitter = w.findChild<QSplitter*>("splitter");
    QVERIFY(splitter);
    QCOMPARE(splitter->orientation(), Qt::Horizontal);
    QCOMPARE(splitter->sizes().at(0), 0);
    QVERIFY(splitter->sizes().at(1) > 0);

    w.reveal_open_files();
    const QList<int> sizes = splitter->sizes();
    const int total = sizes.at(0) + sizes.at(1);
    // 100:400 gives the tree a fifth of the width.
    QVERIFY(qAbs(sizes.at(0) * 5 - total) <= 5);

    // A user-set position stays.
    splitter->setSizes({300, 200});
    const QList<int> user_sizes = splitter->sizes();
    w.reveal_open_files();
    QCOMPARE(splitter->sizes(), user_sizes);

    // Collapsed again by the user: revealed again.
    splitter->setSizes({0, 500});
    w.reveal_open_files();
    QVERIFY(splitter->sizes().at(0) > 0);
}

void test_foundation::centring_data()
{
    add_columns<QRect, QSize, QPoint>("available", "window", "expected");
    add_row("fits", QRect(0, 0, 1920, 1040), QSize(800, 600), QPoint(560, 220));
    add_row("odd remainder truncates", QRect(0, 0, 1025, 769), QSize(800, 600), QPoint(112, 84));
    add_row("area offsets not added", QRect(100, 50, 1000, 800), QSize(800, 600), QPoint(100, 100));
    add_row("larger than screen", QRect(0, 0, 640, 480), QSize(800, 600), QPoint(-80, -60));
    add_row("negative odd truncates toward zero", QRect(0, 0, 799, 599), QSize(800, 600), QPoint(0, 0));
    add_row("negative odd three", QRect(0, 0, 797, 597), QSize(800, 600), QPoint(-1, -1));
}

void test_foundation::centring()
{
    auto [available, window, expected] = fetch<QRect, QSize, QPoint>("available", "window", "expected");
    QCOMPARE(dornvalemainwindow::centred_position(available, window), expected);
}

void test_foundation::tiles_dir_existing()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("data/tiles"));
    message_capture log;
    const QDir tiles = app_paths::prepare_tiles_dir(dir.path() + "/data");
    QVERIFY(tiles.exists());
    QCOMPARE(tiles.path(), dir.path() + "/data/tiles");
    QVERIFY(!log.contains("Can not create "));
    QVERIFY(log.contains("tiles_dir: "));
}

void test_foundation::tiles_dir_created_with_parents()
{
    QTemporaryDir dir;
    message_capture log;
    const QDir tiles = app_paths::prepare_tiles_dir(dir.path() + "/a/b/c");
    QVERIFY(QFileInfo(dir.path() + "/a/b/c/tiles").isDir());
    QCOMPARE(tiles.path(), dir.path() + "/a/b/c/tiles");
    QVERIFY(!log.contains("Can not create "));
}

void test_foundation::tiles_dir_cannot_be_created()
{
    temp_folder dir;
    // A plain file where a parent directory should be.
    dir.write("blocked", QByteArray());
    message_capture log;
    const QDir tiles = app_paths::prepare_tiles_dir(dir.path() + "/blocked");
    QVERIFY(!tiles.exists());
    QVERIFY(log.contains("Can not create "));
    QVERIFY(log.contains(dir.path() + "/blocked/tiles"));
    QVERIFY(log.contains("tiles_dir: "));
}

void test_foundation::about_dialog_texts()
{
    about_dialog d;
    QCOMPARE(d.objectName(), QString("about_dialog"));
    QCOMPARE(d.windowTitle(), QString("About Dornvale"));
    QCOMPARE(d.size(), QSize(400, 300));
    QCOMPARE(d.windowModality(), Qt::ApplicationModal);
    auto* label = d.findChild<QLabel*>("label");
    QVERIFY(label);
    QCOMPARE(label->text(), QString("Dornvale"));
    QCOMPARE(label->font().pointSize(), 20);
    QCOMPARE(label->font().weight(), 50);
    auto* text = d.findChild<QPlainTextEdit*>("plainTextEdit");
    QVERIFY(text);
    QVERIFY(text->isReadOnly());
    const QString content = text->toPlainText();
    QVERIFY(content.startsWith("Version: v0.1.3\n\n"));
    QCOMPARE(content, QString("Version: v0.1.3\n\n") + about_dialog::contact_text);
    QVERIFY(about_dialog::contact_text.endsWith('\n'));
    QVERIFY(about_dialog::contact_text.contains('@'));
    QVERIFY(about_dialog::contact_text.contains("https://"));
    auto* box = d.findChild<QDialogButtonBox*>("buttonBox");
    QVERIFY(box);
    QCOMPARE(box->standardButtons(), QDialogButtonBox::Close);
}

void test_foundation::about_dialog_escape_and_close_reject()
{
    {
        about_dialog d;
        when_modal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
    }
    {
        about_dialog d;
        when_modal([](QWidget* w) {
            auto* box = w->findChild<QDialogButtonBox*>("buttonBox");
            QVERIFY(box);
            box->button(QDialogButtonBox::Close)->click();
        });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
    }
    {
        // The Help ▸ About action runs the dialog modally and releases it once it is closed.
        main_window_fixture f;
        dornvalemainwindow& w = f.build_main_window();
        QString title;
        when_modal([&title](QWidget* d) {
            title = d->windowTitle();
            QTest::keyClick(d, Qt::Key_Escape);
        });
        w.findChild<QAction*>("actionAbout")->trigger();
        QCOMPARE(title, QString("About Dornvale"));
        QCOMPARE(w.findChildren<about_dialog*>().size(), 0);
    }
}

void test_foundation::update_notice_text_has_version_and_address_twice()
{
    const QString text =
        dornvalemainwindow::update_notice_text("v0.2.0", QUrl("https://dl.example.org/get?v=2"));
    QVERIFY(
        text.startsWith("<html><body>A new version of Dornvale has been released! Version <b>v0.2.0</b> is "
                        "available at "));
    QVERIFY(text.contains(".<br/><br/>You can download this version using the link:<br/>"));
    QVERIFY(text.endsWith("<a href=\"https://dl.example.org/get?v=2\">https://dl.example.org/get?v=2</a>"
                          "</body></html>"));
}

void test_foundation::update_notice_escapes_version()
{
    const QString text =
        dornvalemainwindow::update_notice_text("<img src=x>&\"", QUrl("https://dl.example.org/a?b=1&c=2"));
    QVERIFY(!text.contains("<img"));
    QVERIFY(text.contains("<b>&lt;img src=x&gt;&amp;&quot;</b>"));
    QVERIFY(text.contains("href=\"https://dl.example.org/a?b=1&amp;c=2\""));
}

void test_foundation::update_notice_shown_only_for_web_urls_data()
{
    add_columns<QString, bool>("url", "shown");
    add_row("https", "https://dl.example.org/x.msi", true);
    add_row("http", "http://dl.example.org/x.msi", true);
    add_row("file", "file:///etc/passwd", false);
    add_row("javascript", "javascript:alert(1)", false);
    add_row("empty", "", false);
    add_row("relative", "x.msi", false);
}

void test_foundation::update_notice_shown_only_for_web_urls()
{
    auto [url, shown] = fetch<QString, bool>("url", "shown");
    main_window_fixture f;
    dornvalemainwindow& w = f.build_main_window();
    QString title, text;
    bool seen = false;
    when_modal([&](QWidget* m) {
        seen = true;
        auto* box = qobject_cast<QMessageBox*>(m);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    message_capture log;
    w.on_softwareUpdateAvailable("v0.2.0", QUrl(url), QUrl());
    QTest::qWait(shown ? 0 : 100);
    QCOMPARE(seen, shown);
    if (shown) {
        QCOMPARE(title, QString("Update - Dornvale"));
        QCOMPARE(text, dornvalemainwindow::update_notice_text("v0.2.0", QUrl(url)));
    } else {
        QVERIFY(log.contains("not a web address"));
    }
    // The pending timer of an unshown notice must not leak into the next row.
    gui_test_support::close_modal_widgets();
}

void test_foundation::window_closed_for_unknown_window_changes_nothing()
{
    main_window_fixture f;
    dornvalemainwindow& w = f.build_main_window();
    message_capture log;
    w.burst_window_closed(reinterpret_cast<burst_main_window*>(&w));
    QVERIFY(log.contains("dornvalemainwindow::window_closed(burst_main_window *): "));
    QVERIFY(log.contains(" no gang_id found for burst_main_window "));
    QCOMPARE(f.state->next_gang_id, 0);
}

void test_foundation::shutdown_with_registered_rows_touches_no_destroyed_tree()
{
    main_window_fixture f;
    f.build_main_window();
    for (int gang = 0; gang < 2; ++gang) {
        auto* item = new QTreeWidgetItem(QStringList{"e-obs acc"});
        item->addChild(new QTreeWidgetItem(QStringList{"1 acc bursts in x"}));
        f.window->open_files_tree()->addTopLevelItem(item);
        f.state->data_sets[gang].row.reset(item);
    }
    QCOMPARE(f.window->open_files_tree()->topLevelItemCount(), 2);
    // Main window first, then the registry, as at program end; the sanitizer build catches a double delete.
    f.window.reset();
    QVERIFY(!f.state->data_sets[0].row && !f.state->data_sets[1].row);
    f.state.reset();
}

void test_foundation::exit_prints_quit_and_ends_loop()
{
    main_window_fixture f;
    dornvalemainwindow& w = f.build_main_window();
    test_support::streams_capture captured;
    QTimer::singleShot(0, [&w]() { w.findChild<QAction*>("actionExit")->trigger(); });
    const int code = QApplication::exec();
    QCOMPARE(code, 0);
    QCOMPARE(captured.stdout_text(), QString("quit!\n"));
}

void test_foundation::unquote_rules_data()
{
    add_columns<QString, QString>("in", "out");
    add_row("quoted", "\"3\"", "3");
    add_row("plain", "3", "3");
    add_row("two quotes", "\"\"", "");
    add_row("single quote", "\"", "\"");
    add_row("open only", "\"abc", "\"abc");
    add_row("close only", "abc\"", "abc\"");
    add_row("inner quotes kept", "\"a\"b\"", "a\"b");
    add_row("empty", "", "");
}

void test_foundation::unquote_rules()
{
    auto [in, out] = fetch<QString, QString>("in", "out");
    QCOMPARE(csv_field::unquote(in), out);
}

void test_foundation::build_settings_override()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/build.conf";
    QCOMPARE(build_settings::read(path, "tile_server", "fallback"), QString("fallback"));
    QVERIFY(
        test_support::write_file(path, "[build]\nflavor=beta\ntile_server=http://127.0.0.1:8080/tiles/\n"));
    QCOMPARE(build_settings::read(path, "tile_server", "fallback"), QString("http://127.0.0.1:8080/tiles/"));
    QCOMPARE(build_settings::read(path, "update_service", "fallback"), QString("fallback"));
    QVERIFY(build_settings::tile_server_url().endsWith('/'));
    QVERIFY(build_settings::update_service_url().endsWith('/'));
}

QTEST_MAIN(test_foundation)
#include "test_foundation.moc"
