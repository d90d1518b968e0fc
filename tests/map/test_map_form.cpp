// The map window: its form, the zoom buttons and level slider kept on the map's level, hiding on
// close, and the main window's single map window.
#include "app/dornvalemainwindow.h"
#include "support/log_capture.h"
#include "support/mbtiles_writer.h"
#include "support/main_window_fixture.h"
#include "map/map_form.h"
#include "data/model/event_space.h"
#include "tiles/mbtiles_file.h"
#include "support/tile_test_server.h"
#include "support/test_support.h"
#include <QNetworkAccessManager>
#include <QTcpServer>

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <QLabel>

#include <memory>

using test_support::streams_capture;

namespace {

struct form_fixture
{
    QTemporaryDir dir;
    QNetworkAccessManager network;
    std::unique_ptr<map_form> form;

    form_fixture()
    {
        log_capture quiet;
        form = std::make_unique<map_form>(QDir(dir.path()), &network);
        // No tile server: every tile stays its placeholder.
        form->tiles.set_base_url(QStringLiteral("http://127.0.0.1:%1/osm/").arg(tile_test_server_port()));
    }

    static quint16 tile_test_server_port()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 9;
    }

    QSlider* slider() const { return form->findChild<QSlider*>("horizontalSlider"); }
    QPushButton* button(const char* name) const { return form->findChild<QPushButton*>(name); }
    int level() const { return form->map.view().currentLevel; }
    std::pair<qint64, qint64> origin() const { return {form->map.view().originX, form->map.view().originY}; }
};

} // namespace

class test_map_form : public QObject
{
    Q_OBJECT

private slots:
    void form_has_its_names_title_and_layout();
    void slider_starts_on_the_map_level();
    void buttons_step_the_map_and_move_the_slider();
    void slider_sends_the_map_to_its_level();
    void zoom_at_the_bounds_leaves_the_slider();
    void slider_follows_wheel_and_fit_without_moving_the_map();
    void close_hides_and_keeps_the_map();
    void main_window_creates_one_map_window();
    void failing_tiles_give_one_status_line();
    void missing_tile_server_is_told_once_in_the_status_bar();
    void status_bar_follows_the_cursor();
    void tile_source_is_chosen_and_remembered();
    void colouring_is_chosen_and_remembered();
    void tile_notice_keeps_clear_of_the_legends();
};

void test_map_form::form_has_its_names_title_and_layout()
{
    form_fixture f;
    map_form& form = *f.form;
    QCOMPARE(form.objectName(), QString("map_form"));
    QCOMPARE(form.windowTitle(), QString("Map - Dornvale"));
    QCOMPARE(form.size(), QSize(640, 480));
    auto* grid = form.findChild<QGridLayout*>("gridLayout");
    QVERIFY(grid);
    QCOMPARE(form.layout(), static_cast<QLayout*>(grid));
    QCOMPARE(f.button("pushButton")->text(), QString("zoom in"));
    QCOMPARE(f.button("pushButton_2")->text(), QString("zoom out"));
    QCOMPARE(f.slider()->orientation(), Qt::Horizontal);
    QCOMPARE(f.slider()->tickPosition(), QSlider::TicksBelow);
    QCOMPARE(f.slider()->minimum(), 0);
    QCOMPARE(f.slider()->maximum(), 18);
    int row, column, rows, columns;
    const std::pair<QWidget*, QPoint> cells[] = {
        {f.button("pushButton"), {0, 0}}, {f.button("pushButton_2"), {1, 0}}, {f.slider(), {2, 0}}};
    for (const auto& cell : cells) {
        grid->getItemPosition(grid->indexOf(cell.first), &row, &column, &rows, &columns);
        QCOMPARE(QPoint(column, row), cell.second);
    }
    auto* row_layout = form.findChild<QHBoxLayout*>("horizontalLayout");
    QVERIFY(row_layout);
    grid->getItemPosition(grid->indexOf(row_layout), &row, &column, &rows, &columns);
    // Under all four controls: no empty column beside the map.
    QCOMPARE(QVector<int>({row, column, rows, columns}), QVector<int>({1, 0, 1, 4}));
    QCOMPARE(row_layout->indexOf(&form.map), 0);
    QCOMPARE(form.map.parentWidget(), static_cast<QWidget*>(&form));
    // The cache lives in the tiles directory's "osm" sub-directory.
    QCOMPARE(form.cache.cache_dir(), QDir(f.dir.path()).absolutePath() + "/osm");
    QVERIFY(QDir(form.cache.cache_dir()).exists());
}

void test_map_form::slider_starts_on_the_map_level()
{
    form_fixture f;
    QCOMPARE(f.level(), 1);
    QCOMPARE(f.slider()->value(), 1);
    QCOMPARE(f.origin(), std::make_pair(qint64(256), qint64(256)));
}

void test_map_form::buttons_step_the_map_and_move_the_slider()
{
    form_fixture f;
    QSignalSpy changed(&f.form->map, SIGNAL(level_changed(int)));
    f.button("pushButton")->click();
    QCOMPARE(f.level(), 2);
    QCOMPARE(f.slider()->value(), 2);
    QCOMPARE(f.origin(), std::make_pair(qint64(512), qint64(512)));
    f.button("pushButton")->click();
    f.button("pushButton_2")->click();
    QCOMPARE(f.level(), 2);
    QCOMPARE(f.slider()->value(), 2);
    QCOMPARE(f.origin(), std::make_pair(qint64(512), qint64(512)));
    QCOMPARE(changed.size(), 3); // one per press: the slider does not echo a level back
}

void test_map_form::slider_sends_the_map_to_its_level()
{
    form_fixture f;
    f.form->map.set_level(3);
    QCOMPARE(f.slider()->value(), 3);
    f.slider()->setValue(7);
    QCOMPARE(f.level(), 7);
    QCOMPARE(f.origin(), std::make_pair(qint64(1024) << 4, qint64(1024) << 4));
    QCOMPARE(f.slider()->value(), 7);
    f.slider()->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(f.level(), 0);
    QCOMPARE(f.origin(), std::make_pair(qint64(128), qint64(128)));
}

void test_map_form::zoom_at_the_bounds_leaves_the_slider()
{
    form_fixture f;
    f.slider()->setValue(18);
    QCOMPARE(f.level(), 18);
    const auto top = f.origin();
    f.button("pushButton")->click();
    QCOMPARE(f.level(), 18);
    QCOMPARE(f.slider()->value(), 18);
    QCOMPARE(f.origin(), top);
    f.slider()->setValue(0);
    f.button("pushButton_2")->click();
    QCOMPARE(f.level(), 0);
    QCOMPARE(f.slider()->value(), 0);
}

void test_map_form::slider_follows_wheel_and_fit_without_moving_the_map()
{
    form_fixture f;
    f.form->map.resize(640, 400);
    QSignalSpy changed(&f.form->map, SIGNAL(level_changed(int)));
    {
        log_capture quiet;
        // Cursor at (100, 50): the new origin is 2 Z - S with Z = (-64 + 100, 56 + 50).
        QWheelEvent event(QPointF(100, 50), QPointF(100, 50), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&f.form->map, &event);
    }
    QCOMPARE(f.level(), 2);
    QCOMPARE(f.slider()->value(), 2);
    QCOMPARE(f.origin(), std::make_pair(qint64(72 + 220), qint64(212 + 150)));

    streams_capture quiet;
    const geo_box box{13.40, 52.00, 13.41, 52.01};
    f.form->map.fit_to_box(box);
    QCOMPARE(f.level(), 15);
    QCOMPARE(f.slider()->value(), 15);
    const map_scale s = make_scale(15);
    QCOMPARE(f.origin(),
             std::make_pair(qint64(longitude_to_map_x(13.405, s)), qint64(latitude_to_map_y(52.005, s))));
    QCOMPARE(changed.size(), 0);
}

void test_map_form::close_hides_and_keeps_the_map()
{
    form_fixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.button("pushButton")->click();
    const auto origin = f.origin();
    log_capture log;
    QVERIFY(!f.form->close()); // the close is refused
    QVERIFY(!f.form->isVisible());
    QCOMPARE(log.count("map_form::closeEvent"), 1);
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.form->activateWindow();
    QTest::keyClick(f.form->findChild<map_widget*>(), Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!f.form->isVisible()); // Ctrl+W closes it the same way
    QCOMPARE(log.count("map_form::closeEvent"), 2);
    f.form->show();
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.level(), 2);
    QCOMPARE(f.origin(), origin);
    QCOMPARE(f.slider()->value(), 2);
}

void test_map_form::main_window_creates_one_map_window()
{
    QNetworkAccessManager network;
    main_window_fixture f;
    dornvalemainwindow& window = f.build_main_window("/tiles", &network);
    log_capture quiet;
    QVERIFY(!window.findChild<map_form*>());
    map_form* form = window.get_map_form();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QVERIFY(form->isWindow());
    QCOMPARE(form->cache.cache_dir(), QDir(f.dir->path("tiles")).absolutePath() + "/osm");
    QVERIFY(QDir(f.dir->path("tiles/osm")).exists());
    form->close();
    QCOMPARE(window.get_map_form(), form);
    QVERIFY(!form->isVisible()); // later calls leave a hidden window hidden
}

void test_map_form::failing_tiles_give_one_status_line()
{
    form_fixture f;
    log_capture log;
    QLabel* status = f.form->tile_notice();
    QVERIFY(status);
    QVERIFY(status->isHidden());
    f.form->show();
    // Every tile of the first view fails (nobody listens at the tile port): one line says so.
    QTRY_VERIFY_WITH_TIMEOUT(log.count("Error in") >= 4, 10000);
    QTRY_VERIFY(f.form->tiles.pending_count() == 0);
    QVERIFY(status->isVisible());
    QCOMPARE(
        status->toolTip(),
        QString(
            "Map tiles could not be loaded from %1 (Connection refused); the offline basemap stands in for them.")
            .arg(f.form->tiles.base_url()));
    int shown = 0;
    for (const QLabel* label : f.form->findChildren<QLabel*>())
        shown += label->isVisible() && !label->text().isEmpty() && label != f.form->cursor_label();
    QCOMPARE(shown, 1);

    // Once a tile arrives the line goes.
    tile_test_server server;
    f.form->tiles.set_base_url(server.base_url());
    f.form->tiles.get_tile_pixmap(0, 0, 5);
    QTRY_VERIFY_WITH_TIMEOUT(status->isHidden(), 10000);
}

void test_map_form::missing_tile_server_is_told_once_in_the_status_bar()
{
    form_fixture f;
    map_form& form = *f.form;
    QSignalSpy told(&form.tiles, &tile_manager::tiles_unavailable);
    form.resize(800, 600);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Every visible tile fails (level 1 has four; none is asked for beyond the world's edges); the
    // notice comes once.
    QTRY_VERIFY(form.tiles.tile_count() == 4 && form.tiles.pending_count() == 0);
    form.map.increase_level();
    QTRY_VERIFY(form.tiles.pending_count() == 0);
    QCOMPARE(told.count(), 1);
    QVERIFY(form.tile_notice()->isVisible());
    QCOMPARE(form.tile_notice()->toolTip(),
             QString("Map tiles could not be loaded from %1 (%2); the offline basemap stands in for them.")
                 .arg(form.tiles.base_url(), told.at(0).at(0).toString()));
    QVERIFY(!told.at(0).at(0).toString().isEmpty());
    QCOMPARE(form.windowTitle(), QString("Map - Dornvale"));
}

void test_map_form::status_bar_follows_the_cursor()
{
    form_fixture f;
    map_form& form = *f.form;
    form.map.resize(512, 512);
    // Level 1, origin (256, 256): the widget's centre is the map's, (0, 0).
    // The pixel's centre is taken: map pixel (300.5, 300.5) of the 512-pixel world.
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 300), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form.map, &move);
    QCOMPARE(form.cursor_label()->text(), QString("lat -29.84064  lon 31.28906"));
    QMouseEvent corner(QEvent::MouseMove, QPointF(0, 0), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form.map, &corner);
    QCOMPARE(form.cursor_label()->text(), QString("lat 85.02071  lon -179.64844"));
    QCOMPARE(form.fit_button()->text(), QString("Fit to tracks"));
}

void test_map_form::tile_source_is_chosen_and_remembered()
{
    QSettings().remove("map");
    temp_folder dir;
    const QString tiles = mbtiles_writer::write(dir, "area.mbtiles", {{"format", "png"}, {"attribution", "Area maps"}},
                                                {{0, 0, 0, mbtiles_writer::png(Qt::red)}});
    const QString text = dir.write("text.mbtiles", "not a database");
    const auto entries = [](map_form& form) {
        QStringList shown;
        emit form.tile_source_menu()->aboutToShow();
        for (QAction* action : form.tile_source_menu()->actions())
            shown << (action->isChecked() ? "* " : "") + action->text();
        return shown;
    };
    {
        form_fixture f;
        QVERIFY(f.form->open_mbtiles(text).contains("is not an SQLite database"));
        QCOMPARE(f.form->tiles.source(), tile_source::server);
        QCOMPARE(f.form->open_mbtiles(tiles), QString());
        QCOMPARE(f.form->map.attribution(), QString("Area maps"));
        QVERIFY(f.form->tiles.image(0, 0, 0));
        f.form->map.set_level(0);
        f.form->map.grab();
        QCOMPARE(f.form->map.shown_attribution(), QString("Area maps"));
        QCOMPARE(entries(*f.form), QStringList({"Tile server http://127.0.0.1:1/", "* " + tiles,
                                                "Offline basemap only"}));
    }
    {
        // The next window starts on the file chosen last; the offline choice is kept as well.
        form_fixture f;
        QCOMPARE(f.form->tiles.mbtiles()->path(), tiles);
        f.form->tile_source_menu()->actions().last()->trigger();
        QCOMPARE(f.form->tiles.source(), tile_source::none);
        QCOMPARE(f.form->map.attribution(), QString("Natural Earth"));
    }
    form_fixture f;
    QCOMPARE(entries(*f.form), QStringList({"Tile server http://127.0.0.1:1/", tiles, "* Offline basemap only"}));
    QVERIFY(!f.form->tiles.image(0, 0, 0));
    // Later tests and runs start on the tile server again.
    QSettings().remove("map");
}

void test_map_form::colouring_is_chosen_and_remembered()
{
    QSettings().remove(QStringLiteral("map/track_colouring"));
    {
        form_fixture f;
        QCOMPARE(f.form->map.colouring(), track_colouring::track);
        QVERIFY(f.form->map.actions().contains(f.form->colouring_menu()->menuAction()));
        // Time is there for any track; speed, height and VeDBA wait for a track that has them.
        const QList<QAction*> choices = f.form->colouring_menu()->actions();
        QVERIFY(choices[0]->isChecked());
        QVERIFY(choices[1]->isEnabled());
        QVERIFY(!choices[2]->isEnabled());
        choices[1]->trigger();
        QCOMPARE(f.form->map.colouring(), track_colouring::time);
    }
    form_fixture again;
    QVERIFY(again.form->colouring_menu()->actions()[1]->isChecked());
    QCOMPARE(again.form->map.colouring(), track_colouring::time);
    QSettings().remove(QStringLiteral("map/track_colouring"));
}

void test_map_form::tile_notice_keeps_clear_of_the_legends()
{
    form_fixture f;
    map_form& form = *f.form;
    std::vector<std::unique_ptr<gps_event>> list;
    for (int i = 0; i < 3; ++i)
        list.push_back(std::make_unique<gps_event>(gps_event{1614556800000 + i * 60000, 10.0 + i, 50.0}));
    event_space events(list);
    auto* track = new event_space_layer(&events, Qt::blue, QStringLiteral("stork4711_acc.txt"));
    track->set_behaviours({0, 1, 2}, {{"flapping", 0xd95f02}, {"soaring", 0x1b9e77}, {"walking", 0x7570b3}});
    const auto ref = form.map.add_layer(track);
    form.map.set_colouring(track_colouring::behaviour);
    form.show();
    emit form.tiles.tiles_unavailable(QStringLiteral("Host not found"));
    QVERIFY(form.status_bar()->currentMessage().contains("Host not found"));
    for (const QSize size : {QSize(640, 480), QSize(800, 600), QSize(1400, 900)}) {
        form.resize(size);
        QTRY_VERIFY(form.map.width() > size.width() - 40); // laid out anew, the notice placed with it
        const QRect notice = form.tile_notice()->geometry();
        QVERIFY(!notice.intersects(form.map.colour_bar_box()));
        QVERIFY(!notice.intersects(form.map.legend_box()));
        QCOMPARE(form.tile_notice()->text(), QString("Map tiles could not be loaded; the offline basemap stands in."));
    }
}

QTEST_MAIN(test_map_form)
#include "test_map_form.moc"
