// Not a test: opens the example pair as a user would and saves a picture of each window for the
// README (scripts/screenshots.sh runs it under Xvfb). Arguments: examples folder, output folder.
#include "app/burst_main_window.h"
#include "map/map_form.h"
#include "support/main_window_fixture.h"
#include "views/activity/activity_plot_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QSplitter>
#include <QTest>
#include <QTextStream>

namespace {

bool save(QWidget* window, const QString& path)
{
    QTest::qWait(500);
    const bool saved = window->grab().save(path);
    QTextStream(stdout) << (saved ? "saved " : "could not save ") << path << "\n";
    return saved;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: screenshot_tour <examples folder> <output folder>\n";
        return 2;
    }
    const QDir examples(args.at(1));
    const QDir out(args.at(2));
    main_window_fixture fixture;
    dornvalemainwindow& main_window = fixture.build_main_window();
    const app_state& state = *fixture.state;
    main_window.setWindowTitle("Dornvale");
    main_window.setGeometry(40, 40, 760, 420);
    main_window.show();
    if (!QTest::qWaitForWindowExposed(&main_window))
        return 1;
    main_window.findChild<QSplitter*>("splitter")->setSizes({240, 520});

    main_window.open_files({examples.filePath("stork2241_acc.txt")});
    if (!QTest::qWaitFor([&] { return !state.windows().empty(); }, 60000))
        return 1;
    burst_main_window* burst = state.windows().front().second;
    burst->setGeometry(60, 60, 720, 480);
    if (!QTest::qWaitForWindowExposed(burst))
        return 1;

    map_form* map = main_window.get_map_form();
    map->setGeometry(80, 80, 720, 520);
    // The picture shows the offline basemap, as a machine without a tile server sees it.
    map->use_offline();
    if (!QTest::qWaitForWindowExposed(map))
        return 1;

    burst->findChild<QAction*>("actionActivity_Plot")->trigger();
    auto* plot = burst->findChild<activity_plot_dialog*>();
    plot->resize(620, 330);
    if (!QTest::qWaitForWindowExposed(plot))
        return 1;

    const bool ok = save(&main_window, out.filePath("main-window.png")) &&
                    save(burst, out.filePath("burst-view.png")) &&
                    save(plot, out.filePath("activity-plot.png")) && save(map, out.filePath("map.png"));
    return ok ? 0 : 1;
}
