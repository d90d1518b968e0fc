#include "app/app_paths.h"
#include "app/app_state.h"
#include "data/io/dornvale_version.h"
#include "app/dornvalemainwindow.h"
#include "data/load/load_job.h"
#include "util/lifecycleclient.h"
#include "data/io/trace.h"

#include <QApplication>
#include <QScreen>
#include <QDir>
#include <QNetworkAccessManager>
#include <QPixmap>
#include <QSplashScreen>
#include <QThreadPool>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // Debug lines name the file, line and function of the call in every build type.
    qSetMessagePattern("%{file}:%{line} %{function}: %{message}");

    QCoreApplication::setOrganizationName(DORNVALE_ORGANIZATION_NAME);
    QCoreApplication::setOrganizationDomain(DORNVALE_ORGANIZATION_DOMAIN);
    QCoreApplication::setApplicationName(DORNVALE_APP_NAME);
    trace_debug() << "Dornvale " << DORNVALE_VERSION;

    QApplication application(argc, argv);

    QPixmap splash_image(":/images/test-data/splash.png");
    QSplashScreen splash(splash_image);
    splash.show();
    splash.showMessage(QStringLiteral("Dornvale " DORNVALE_VERSION), Qt::AlignLeft | Qt::AlignBottom,
                       Qt::black);
    application.processEvents();

    QNetworkAccessManager network_manager;
    // Reads the build flavour now; the version request goes out just before the event loop.
    LifeCycleClient life_cycle_client(&network_manager);

    const QString data_location = app_paths::data_location();
    QDir tiles_dir = app_paths::prepare_tiles_dir(data_location);

    app_state state(tiles_dir);

    dornvalemainwindow main_window(&state, &network_manager);
    // A remembered geometry wins; otherwise the window is centred in the primary screen's available
    // area, whose own left/top offsets are deliberately not added.
    if (!main_window.geometry_restored()) {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        main_window.move(dornvalemainwindow::centred_position(available, main_window.size()));
    }
    main_window.setWindowTitle("Dornvale");

    // Files named on the command line open once the main window is shown.
    const QStringList files = application.arguments().mid(1);
    QTimer::singleShot(2500, &splash, &QWidget::close);
    QTimer::singleShot(1000, &main_window, [&main_window, &splash, files] {
        main_window.show();
        if (!files.isEmpty()) {
            // The splash would cover the progress and message dialogs.
            splash.close();
            main_window.open_files(files);
        }
    });

    // The answer arrives through the event loop; a missing or silent service only writes debug lines.
    QObject::connect(&life_cycle_client, &LifeCycleClient::updateAvailable, &main_window,
                     &dornvalemainwindow::on_softwareUpdateAvailable);
    life_cycle_client.checkVersion();

    const int status = application.exec();
    // A load still running is told to stop; one stuck in the system (a hung network mount) must not
    // keep the process alive, so it is given a few seconds and then the process ends without it.
    load_job::stop_all();
    if (!QThreadPool::globalInstance()->waitForDone(3000)) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
