// File ▸ Export Track on a download of two animals: a folder that does not exist is named, then each
// animal's track is written to a file of its own and the map's status bar says where; Cancel stops it.
#include "map/map_form.h"
#include "support/download_layouts.h"
#include "support/main_window_fixture.h"
#include "support/shown_message.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>

using gui_test_support::modal_script;

namespace {

// Answers the export dialog with the format at index and the folder.
modal_script::step export_to(int format, const QString& folder)
{
    return gui_test_support::on_any([=](QWidget* w) {
        w->findChild<QComboBox*>()->setCurrentIndex(format);
        w->findChild<QLineEdit*>()->setText(folder);
        qobject_cast<QDialog*>(w)->accept();
    });
}

} // namespace

class test_track_export_flow : public QObject
{
    Q_OBJECT

private slots:
    void each_animal_to_its_own_file();
};

void test_track_export_flow::each_animal_to_its_own_file()
{
    main_window_fixture f;
    const QString herd =
        f.write("herd.csv", test_support::named_gps_header + "\nA,8.5,47.25,2014-05-02 10:00:00.000\n"
                                                             "B,8.5,47.25,2014-05-02 10:00:00.000\n"
                                                             "B,8.6,47.25,2014-05-02 11:00:00.000\n");
    dornvalemainwindow& window = f.open_main_window("/tiles");
    window.open_files({herd});
    QTRY_COMPARE_WITH_TIMEOUT(int(f.state->data_sets.size()), 2, 10000);

    const QString gone = f.folder().path("gone");
    const shown_message refused = shown_message::after([&] { window.export_tracks(); }, {export_to(2, gone)});
    QCOMPARE(refused.text,
             QStringLiteral("The tracks could not be exported: the folder \"%1\" does not exist.")
                 .arg(QDir::toNativeSeparators(gone)));

    const QString out = f.folder().path();
    modal_script script;
    script.then(export_to(2, out));
    window.export_tracks();
    QTRY_VERIFY(script.done());
    QCOMPARE(window.get_map_form()->status_bar()->currentMessage(),
             QStringLiteral("2 tracks exported to %1").arg(QDir::toNativeSeparators(out)));
    QFile b(f.folder().path("herd-B.geojson"));
    QVERIFY(b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll().count("\"type\":\"Point\""), 2);
    QVERIFY(QFile::exists(f.folder().path("herd-A.geojson")));

    // The writing runs on the pool behind a progress dialog: Cancel stops it before any file.
    {
        gui_test_support::held_pool pool;
        script.then(export_to(0, out)).then(pool.cancel());
        window.export_tracks();
    }
    QCOMPARE(window.get_map_form()->status_bar()->currentMessage(),
             QStringLiteral("Export cancelled: 0 of 2 tracks written to %1").arg(QDir::toNativeSeparators(out)));
    QVERIFY(!QFile::exists(f.folder().path("herd-A.gpx")));
}

QTEST_MAIN(test_track_export_flow)
#include "test_track_export_flow.moc"
