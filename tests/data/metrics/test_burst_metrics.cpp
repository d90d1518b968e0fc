// The per-burst figures against values worked out by hand, the default calibration by tag number
// and the burst table's first lines.
#include "data/metrics/burst_metrics.h"
#include "data/metrics/burst_table_csv.h"
#include "support/burst_builder.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <cmath>

using test_support::make_burst;

namespace {

// 2 s at 20 Hz under tag 4711's default (2048 + 512 g, Y inverted): X 0.5 g + 0.25 g sin(2 Hz),
// Y a flat 0.5 g, Z 0.5 g + 0.5 g sin(5 Hz); whole cycles, so the means are the postures.
std::unique_ptr<burst> sine_burst()
{
    std::vector<float> x, y, z;
    for (int j = 0; j < 40; ++j) {
        x.push_back(float(2048 + 512 * (0.5 + 0.25 * std::sin(2 * M_PI * 2 * j / 20))));
        y.push_back(2048 - 512 * 0.5);
        z.push_back(float(2048 + 512 * (0.5 + 0.5 * std::sin(2 * M_PI * 5 * j / 20))));
    }
    return make_burst(0, 20, x, y, z);
}

} // namespace

TEST(burst_metrics, a_sine_burst_gives_the_hand_computed_figures)
{
    const burst_metrics m =
        burst_metrics::of(*sine_burst(), burst_calibration::default_for_tag("4711"), static_window{});
    struct expected
    {
        double mean, sd, min, max, freq, amp;
    };
    // sd = A sqrt(20 / 39) (n - 1 = 39); X's samples fall 36 degrees apart, so its peak is sin 72.
    // The flat Y has all bins equal: the lowest, k = 1 (0.5 Hz), with amplitude 0.
    const expected axes[3] = {{0.5, 0.25 * std::sqrt(20.0 / 39), 0.5 - 0.25 * std::sin(M_PI * 0.4),
                               0.5 + 0.25 * std::sin(M_PI * 0.4), 2, 0.25},
                              {0.5, 0, 0.5, 0.5, 0.5, 0},
                              {0.5, 0.5 * std::sqrt(20.0 / 39), 0, 1, 5, 0.5}};
    for (int a = 0; a < 3; ++a) {
        SCOPED_TRACE(a);
        EXPECT_NEAR(m.axis[a].mean, axes[a].mean, 1e-6);
        EXPECT_NEAR(m.axis[a].sd, axes[a].sd, 1e-6);
        EXPECT_NEAR(m.axis[a].min, axes[a].min, 1e-6);
        EXPECT_NEAR(m.axis[a].max, axes[a].max, 1e-6);
        EXPECT_DOUBLE_EQ(m.axis[a].dom_freq_hz, axes[a].freq);
        EXPECT_NEAR(m.axis[a].dom_amp, axes[a].amp, 1e-6);
    }
    // Means over the 20-sample period of 0.25|sin 2 Hz| + 0.5|sin 5 Hz| and of the vector length.
    EXPECT_NEAR(m.odba, 0.403884177, 1e-6);
    EXPECT_NEAR(m.vedba, 0.341901926, 1e-6);
    EXPECT_NEAR(m.pitch_deg, 35.264389683, 1e-6); // atan2(0.5, sqrt(0.5))
    EXPECT_NEAR(m.roll_deg, 45, 1e-6);
}

TEST(burst_metrics, the_running_mean_is_shortened_at_the_ends)
{
    // 0 3 0 3 0 at 20 Hz, W = 0.1 s: 3 samples, statics 1.5 1 2 1 1.5, |dynamic| 1.5 2 2 2 1.5.
    // W = 0.149 s still gives floor(1.49) = 1 a side; W = 0.09 s gives a window of 1 sample.
    const auto b = make_burst(0, 20, {0, 3, 0, 3, 0});
    const struct
    {
        double seconds, odba;
    } cases[] = {{0, 1.44}, {0.1, 1.8}, {0.149, 1.8}, {0.09, 0}, {100, 1.44}};
    for (const auto& c : cases) {
        const burst_metrics m = burst_metrics::of(*b, std::nullopt, static_window{c.seconds});
        EXPECT_NEAR(m.odba, c.odba, 1e-12) << c.seconds;
        EXPECT_NEAR(m.vedba, c.odba, 1e-12) << c.seconds;
    }
}

TEST(burst_metrics, ties_short_bursts_and_the_default_calibrations)
{
    // 2 0 0 0 -2 0 0 0: |X_1| = |X_3| = 4 and the even bins 0; the lowest wins. One sample has no
    // sd and no frequency; two have only the bin at f/2.
    const burst_metrics tie = burst_metrics::of(*make_burst(0, 8, {2, 0, 0, 0, -2, 0, 0, 0}), std::nullopt, {});
    EXPECT_EQ(tie.axis[0].dom_freq_hz, 1);
    EXPECT_DOUBLE_EQ(tie.axis[0].dom_amp, 1);
    const burst_metrics one = burst_metrics::of(*make_burst(0, 8, {5}), std::nullopt, {});
    EXPECT_TRUE(std::isnan(one.axis[0].sd) && std::isnan(one.axis[0].dom_freq_hz));
    EXPECT_EQ(one.odba, 0);
    const burst_metrics two = burst_metrics::of(*make_burst(0, 8, {1, 3}), std::nullopt, {});
    EXPECT_EQ(two.axis[0].dom_freq_hz, 4);
    EXPECT_DOUBLE_EQ(two.axis[0].dom_amp, 2);

    const struct
    {
        const char* tag;
        double g_per_unit, y_sign;
    } tags[] = {{"1", 0.0027, 1}, {"2241", 0.0027, 1}, {"2242", 0.0022, -1}, {"4117", 0.0022, -1},
                {"4118", 1.0 / 512, -1}, {"4711", 1.0 / 512, -1}};
    for (const auto& t : tags) {
        const std::optional<burst_calibration> c = burst_calibration::default_for_tag(t.tag);
        ASSERT_TRUE(c) << t.tag;
        EXPECT_DOUBLE_EQ(c->to_g(0, 2048 + 100), 100 * t.g_per_unit) << t.tag;
        EXPECT_DOUBLE_EQ(c->to_g(1, 2048 + 100), 100 * t.g_per_unit * t.y_sign) << t.tag;
        EXPECT_DOUBLE_EQ(c->to_g(2, 2048 - 100), -100 * t.g_per_unit) << t.tag;
    }
    for (const char* tag : {"0", "", "stork_acc.txt", "-5", "22 41"})
        EXPECT_FALSE(burst_calibration::default_for_tag(tag)) << tag;
}

TEST(burst_table_csv, names_units_and_method_then_one_labelled_row_per_burst)
{
    std::vector<std::unique_ptr<burst>> list;
    list.push_back(make_burst(1399010400000, 8, {2, 0, 0, 0, -2, 0, 0, 0}));
    list.push_back(make_burst(1399010460000, 8, {5}));
    const burst_space space(list);
    const applied_calibration calibration = applied_calibration::for_tag(std::nullopt, "4711");
    const static_window window{2};
    const std::vector<burst_metrics> metrics = burst_metrics::of_all(space, calibration.value, window);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    ASSERT_TRUE(write_burst_table_csv(out, "Stork, 1", space, metrics, calibration, window,
                                      [](const QString&, qint64 t) {
                                          return t == 1399010400000 ? QStringLiteral("resting") : QString();
                                      },
                                      &error));
    const QList<QByteArray> lines = out.data().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "# units=g static=running-mean window_s=2 calibration=default-by-tag");
    EXPECT_EQ(lines[1] + '\n', burst_table_header);
    EXPECT_EQ(lines[1].split(',').size(), 29);
    // The header names the figures in the order they are written (and the classifier reads them).
    EXPECT_EQ(lines[1], "animal,tag,burst,start_utc,samples,frequency_hz," +
                            burst_metrics::figure_names().join(',').toLatin1() + ",label");
    EXPECT_TRUE(lines[2].startsWith("\"Stork, 1\",4711,0,2014-05-02T06:00:00.000Z,8,8,"));
    EXPECT_TRUE(lines[2].endsWith(",resting"));
    // One sample (5, 0, 0 raw = -3.990234375, 4, -4 g): no sd, no frequency, no label; pitch
    // atan2(-3.990234375, 4 sqrt 2), roll atan2(4, -4).
    EXPECT_EQ(lines[3], "\"Stork, 1\",4711,1,2014-05-02T06:01:00.000Z,1,8,-3.99023438,NA,-3.99023438,"
                        "-3.99023438,NA,NA,4,NA,4,4,NA,NA,-4,NA,-4,-4,NA,NA,0,0,-35.1983949,135,");
    EXPECT_EQ(burst_table_units_line(applied_calibration::for_tag(std::nullopt, "stork"), {}),
              "# units=raw static=burst-mean calibration=none");
}
