// The VeDBA strip's caption stays clear of the time grid's labels at every zoom.
#include "data/model/burst_space.h"
#include "support/burst_builder.h"
#include "support/counted_events.h"
#include "support/test_support.h"
#include "views/burst/burst_paint_panel.h"
#include "views/metrics/vedba_strip.h"

#include <QStatusBar>
#include <QTest>

class test_vedba_strip : public QObject
{
    Q_OBJECT

private slots:
    void caption_clear_of_the_grid_labels();
};

void test_vedba_strip::caption_clear_of_the_grid_labels()
{
    // Two days of 30-sample bursts every 10 minutes.
    std::vector<std::unique_ptr<burst>> list;
    test_support::add_bursts(list, 288, 1614557400000, 600000, 3.0, 30, [](int b, int, int) { return float(b); });
    const std::unique_ptr<burst_space> space = test_support::space_of(std::move(list));
    std::vector<burst_metrics> metrics(288, burst_metrics{});
    for (std::size_t k = 0; k < metrics.size(); ++k)
        metrics[k].vedba = 0.01 * double(k % 50);
    vedba_strip strip(20);
    strip.set_values(metrics, QStringLiteral("g"));
    counted_events events({});
    QStatusBar status;
    test_support::streams_capture quiet;
    burst_paint_panel panel(*space, events, status, nullptr);
    panel.add_overlay(&strip);
    const int w = 600, h = 300;
    // Hourly labels, sparse and dense, then daily ones, with a change (01:00 at sample 150, the next
    // day at 4290) drawn at x = 50, under the caption.
    for (const auto& [span, change] : {std::make_pair(600.0, 150.0), {3000.0, 150.0}, {8640.0, 4290.0}}) {
        panel.view.set_offset(change - 50 * span / w);
        panel.view.set_span(span);
        const burst_overlay::frame f{*space, w, h, 0, 287, panel.view.left(), panel.view.positions_per_pixel(w)};
        const QRect caption = strip.text_rect(f, panel.font());
        QCOMPARE(caption.top(), h - 20 - vedba_strip::height + 1);
        const std::vector<QRect> labels = panel.time_grid_label_rects(w, h);
        bool above_caption = false; // a label stands over the caption's columns: the case is met
        for (const QRect& r : labels) {
            QVERIFY2(!r.intersects(caption), qPrintable(QString("span %1, label at x %2").arg(span).arg(r.x())));
            above_caption |= r.left() <= caption.right() && r.right() >= caption.left();
        }
        QVERIFY2(above_caption, qPrintable(QString("span %1: %2 labels").arg(span).arg(labels.size())));
    }
}

QTEST_MAIN(test_vedba_strip)
#include "test_vedba_strip.moc"
