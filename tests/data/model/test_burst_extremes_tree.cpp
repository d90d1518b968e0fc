// The burst extremes tree against the plain fold: every run of whole bursts of small spaces, and
// windows longer than every burst over a large space against burst_range.
#include "data/model/burst.h"
#include "data/model/burst_extremes_tree.h"
#include "data/model/burst_range.h"
#include "data/model/burst_space.h"
#include "support/burst_builder.h"

#include <QTest>

#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr float big = std::numeric_limits<float>::max();

// The stored extremes of bursts first ... last, folded one by one.
void plain_fold(const burst_space& space, qint32 first, qint32 last, float (&lo)[3], float (&hi)[3])
{
    for (qint32 i = first; i <= last; ++i) {
        const burst_min_max& m = space.entry(i).extremes();
        const float l[3] = {m.min_x, m.min_y, m.min_z}, h[3] = {m.max_x, m.max_y, m.max_z};
        for (int a = 0; a < 3; ++a) {
            if (l[a] < lo[a])
                lo[a] = l[a];
            if (h[a] > hi[a])
                hi[a] = h[a];
        }
    }
}

// lo and hi as the tree folds bursts first ... last from the empty extremes.
void tree_fold(const burst_extremes_tree& tree, qint32 first, qint32 last, float (&lo)[3], float (&hi)[3])
{
    std::fill(lo, lo + 3, big);
    std::fill(hi, hi + 3, -big);
    tree.fold(first, last, lo, hi);
}

QString differs(const float (&a)[3], const float (&b)[3])
{
    for (int i = 0; i < 3; ++i)
        if (!(a[i] == b[i]))
            return QString("axis %1: %2 instead of %3; ").arg(i).arg(double(a[i])).arg(double(b[i]));
    return QString();
}

} // namespace

class test_burst_extremes_tree : public QObject
{
    Q_OBJECT

private slots:
    void every_run_of_bursts_data();
    void every_run_of_bursts();
    void long_windows_as_burst_range();
    void folds_into_given_values();
};

void test_burst_extremes_tree::every_run_of_bursts_data()
{
    QTest::addColumn<int>("count");
    // No levels, exactly one block, one more, a partial top level, several levels.
    for (const int count : {1, 7, 8, 9, 64, 65, 71, 130, 600})
        QTest::addRow("%d bursts", count) << count;
}

void test_burst_extremes_tree::every_run_of_bursts()
{
    QFETCH(int, count);
    const auto space = test_support::irregular_space(count, 40, unsigned(count));
    const burst_extremes_tree tree(*space);
    const int step = count > 200 ? 7 : 1; // every start for small spaces, a spread for the large one
    for (qint32 first = 0; first < count; first += step)
        for (qint32 last = first; last < count; ++last) {
            float lo[3], hi[3], plain_lo[3] = {big, big, big}, plain_hi[3] = {-big, -big, -big};
            tree_fold(tree, first, last, lo, hi);
            plain_fold(*space, first, last, plain_lo, plain_hi);
            const QString d = differs(lo, plain_lo) + differs(hi, plain_hi);
            if (!d.isEmpty())
                QFAIL(qPrintable(QString("bursts %1 ... %2: %3").arg(first).arg(last).arg(d)));
        }
}

void test_burst_extremes_tree::long_windows_as_burst_range()
{
    const auto space = test_support::irregular_space(20000, 120, 3);
    const burst_extremes_tree tree(*space);
    std::mt19937 random(9);
    const qint32 total = space->total_sample_count();
    std::uniform_int_distribution<qint32> start(-500, total + 100);
    std::uniform_int_distribution<qint32> length(space->max_burst_sample_count() + 1, 200000);
    int checked = 0;
    for (int n = 0; n < 3000; ++n) {
        const qint32 a = start(random), b = a + length(random);
        const burst_range range(*space, a, b);
        if (range.first_burst == -1)
            continue;
        float r_lo[3], r_hi[3], lo[3], hi[3];
        bool several;
        range.value_range(r_lo[0], r_hi[0], r_lo[1], r_hi[1], r_lo[2], r_hi[2], several);
        tree_fold(tree, range.first_burst, range.last_burst, lo, hi);
        const QString d = differs(lo, r_lo) + differs(hi, r_hi);
        if (!d.isEmpty())
            QFAIL(qPrintable(QString("samples %1 ... %2: %3").arg(a).arg(b).arg(d)));
        ++checked;
    }
    QVERIFY(checked > 2500);
}

void test_burst_extremes_tree::folds_into_given_values()
{
    // Bursts 0 ... 99 with X from 10 * b to 10 * b + 4: the fold keeps what it is given when that
    // is already wider, and widens it otherwise.
    std::vector<std::unique_ptr<burst>> list;
    for (int b = 0; b < 100; ++b)
        list.push_back(test_support::counted_burst(1000 * qint64(b), 5, 10.f * float(b)));
    const auto space = test_support::space_of(std::move(list));
    const burst_extremes_tree tree(*space);
    float lo[3] = {-1.f, 500.f, 200.f}, hi[3] = {2000.f, 501.f, 200.f};
    tree.fold(20, 90, lo, hi);
    QCOMPARE(lo[0], -1.f);
    QCOMPARE(hi[0], 2000.f);
    QCOMPARE(lo[1], 200.f);
    QCOMPARE(hi[1], 904.f);
    QCOMPARE(lo[2], 200.f);
    QCOMPARE(hi[2], 904.f);
}

QTEST_MAIN(test_burst_extremes_tree)
#include "test_burst_extremes_tree.moc"
