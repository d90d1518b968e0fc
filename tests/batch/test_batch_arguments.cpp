#include "batch/batch_arguments.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The options met, each with "=" and the value it took (only --o takes one).
QStringList options_of(batch_arguments& line)
{
    QStringList seen;
    while (line.next_option()) {
        const QString option = line.option();
        seen << option + '=' + (option == "--o" ? line.take_value() : QString());
    }
    return seen;
}

} // namespace

TEST(batch_arguments, splits_operands_from_options)
{
    std::ostringstream out, err;
    batch_arguments line({"cmd", "a", "-", "--o", "-v", "--s", "--", "--o", "-x", "b"}, "usage\n", out, err);
    EXPECT_EQ(options_of(line), (QStringList{"--o=-v", "--s="}));
    EXPECT_EQ(line.files(), (QStringList{"a", "-", "--o", "-x", "b"}));

    batch_arguments last({"cmd", "--o"}, "usage\n", out, err);
    EXPECT_EQ(options_of(last), QStringList{"--o="});
    EXPECT_TRUE(last.files().isEmpty());

    batch_arguments unknown({"cmd", "--p"}, "usage\n", out, err);
    ASSERT_TRUE(unknown.next_option());
    EXPECT_EQ(unknown.other_option(), batch_arguments::exit_usage);
    EXPECT_EQ(err.str(), "dornvale-batch: unknown option \"--p\"\nusage\n");

    batch_arguments help({"cmd", "-h"}, "usage\n", out, err);
    ASSERT_TRUE(help.next_option());
    EXPECT_EQ(help.other_option(), batch_arguments::exit_ok);
    EXPECT_EQ(out.str(), "usage\n");
}
