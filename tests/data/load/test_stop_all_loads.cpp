// Quitting tells every load to stop: a load inside a very long line ends at once, and one started
// afterwards reads as cancelled. (Own binary: the stop cannot be undone in a process.)
#include "data/load/eobs_loader.h"
#include "data/load/load_job.h"
#include "support/acc_layouts.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <iostream>
#include <sstream>

Q_DECLARE_METATYPE(load_result*)

class test_stop_all_loads : public QObject
{
    Q_OBJECT

private slots:
    void stop_ends_a_load_inside_a_long_line();
};

void test_stop_all_loads::stop_ends_a_load_inside_a_long_line()
{
    qRegisterMetaType<load_result*>();
    temp_folder dir;
    // A header and then 200 MiB of NUL bytes (a sparse hole) without a line end.
    const QString path =
        dir.write_with_hole("hole.csv", test_support::acc_mbd_bare_header + "\n", qint64(200) << 20);

    std::ostringstream sink;
    auto* old_err = std::cerr.rdbuf(sink.rdbuf());
    auto* old_out = std::cout.rdbuf(sink.rdbuf());
    load_plan plan;
    plan.acc_file = path;
    auto* load = new load_job(plan, std::make_shared<std::atomic_bool>(false));
    QSignalSpy results(load, &load_job::finished_with_result);
    QSignalSpy progress(load, &load_job::text_changed);
    QThreadPool::globalInstance()->start(load);
    QTRY_COMPARE_WITH_TIMEOUT(progress.count(), 1, 5000); // the reading has begun
    load_job::stop_all();
    QVERIFY(QThreadPool::globalInstance()->waitForDone(3000));
    std::cerr.rdbuf(old_err);
    std::cout.rdbuf(old_out);
    QTRY_COMPARE(results.count(), 1);
    std::unique_ptr<load_result> result(qvariant_cast<load_result*>(results[0][0]));
    QCOMPARE(result->acc->status, ELS_CANCELLED);
    QVERIFY(!result->acc->space);

    load_job later(plan, std::make_shared<std::atomic_bool>(false));
    QVERIFY(later.loader_progress_cancelled());
}

QTEST_GUILESS_MAIN(test_stop_all_loads)
#include "test_stop_all_loads.moc"
