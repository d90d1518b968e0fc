// Raw-to-g arithmetic of a calibration and its storage per tag in the user's settings.
#include "data/metrics/burst_calibration.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include <limits>

namespace {

burst_calibration sample_calibration()
{
    burst_calibration c;
    c.axes[0] = {2048, 512};
    c.axes[1] = {2000, -250};
    c.axes[2] = {1024.5, 1000};
    return c;
}

} // namespace

TEST(burst_calibration, converts_both_ways)
{
    const burst_calibration c = sample_calibration();
    EXPECT_DOUBLE_EQ(c.to_g(0, 2048), 0.0);
    EXPECT_DOUBLE_EQ(c.to_g(0, 2560), 1.0);
    EXPECT_DOUBLE_EQ(c.to_g(0, 0), -4.0);
    EXPECT_DOUBLE_EQ(c.to_g(1, 2500), -2.0);
    EXPECT_DOUBLE_EQ(c.to_g(2, 24.5), -1.0);
    for (int a = 0; a < 3; ++a)
        EXPECT_DOUBLE_EQ(c.to_raw(a, c.to_g(a, 1234)), 1234.0);
}

TEST(burst_calibration, survives_a_new_settings_object_and_is_kept_per_tag)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dornvale.conf");
    {
        QSettings settings(path, QSettings::IniFormat);
        burst_calibration::save(settings, "2241", sample_calibration());
        burst_calibration::save(settings, "/data/birds/stork_acc.txt", sample_calibration());
    }
    QSettings settings(path, QSettings::IniFormat);
    const std::optional<burst_calibration> c = burst_calibration::load(settings, "2241");
    ASSERT_TRUE(c.has_value());
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(c->axes[a].zero, sample_calibration().axes[a].zero);
        EXPECT_EQ(c->axes[a].per_g, sample_calibration().axes[a].per_g);
    }
    EXPECT_FALSE(burst_calibration::load(settings, "2242").has_value());
    EXPECT_TRUE(burst_calibration::load(settings, "/data/birds/stork_acc.txt").has_value());
    EXPECT_FALSE(burst_calibration::load(settings, "/data/birds").has_value());
    burst_calibration::remove(settings, "2241");
    EXPECT_FALSE(burst_calibration::load(settings, "2241").has_value());
    EXPECT_TRUE(burst_calibration::load(settings, "/data/birds/stork_acc.txt").has_value());
}

TEST(burst_calibration, unusable_stored_values_count_as_none)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("dornvale.conf"), QSettings::IniFormat);
    burst_calibration zero_scale = sample_calibration();
    zero_scale.axes[1].per_g = 0;
    burst_calibration::save(settings, "a", zero_scale);
    EXPECT_FALSE(burst_calibration::load(settings, "a").has_value());
    settings.setValue("calibration/b/x_zero", "abc");
    EXPECT_FALSE(burst_calibration::load(settings, "b").has_value());
    burst_calibration infinite = sample_calibration();
    infinite.axes[2].zero = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(burst_calibration::usable(infinite.axes[2]));
    burst_calibration::save(settings, "2241", burst_calibration{{{-1e19, 512}, {2048, 512}, {2048, 512}}});
    QString refusal;
    EXPECT_FALSE(burst_calibration::load(settings, "2241", &refusal).has_value());
    EXPECT_EQ(refusal,
              "The calibration stored for tag 2241 is not used: X axis raw value at 0 g -1e+19, raw units "
              "per g 512 (each must be finite, at most 1e+06 in size, and the units per g at least 0.0001).");
    EXPECT_TRUE(burst_calibration::usable(sample_calibration().axes[2]));
}
