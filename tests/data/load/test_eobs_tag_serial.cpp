// The tag serial number read from the first data line of an E-OBS export.
#include "data/load/eobs_tag_serial.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

TEST(eobs_tag_serial, reads_the_column_wherever_it_stands)
{
    temp_folder dir;
    const struct
    {
        const char* name;
        QByteArray content;
        const char* serial;
    } cases[] = {
        {"plain", "key-bin-checksum,tag-serial-number,start-timestamp\nabc,2241,2014-05-02 00:03:26.000\n",
         "2241"},
        {"quoted", "\"tag-serial-number\",\"start-timestamp\"\n\"4711\",\"2014-05-02\"\n", "4711"},
        {"crlf last column", "a,tag-serial-number\r\nx, 99 \r\n", "99"},
        {"no such column", "key-bin-checksum,start-timestamp\nabc,2014\n", ""},
        {"header only", "key-bin-checksum,tag-serial-number\n", ""},
        {"short data line", "a,b,tag-serial-number\nx\n", ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eobs_tag_serial(dir.write(c.name, c.content)), QString(c.serial)) << c.name;
    EXPECT_EQ(eobs_tag_serial(dir.path("missing")), QString());
    EXPECT_EQ(eobs_tag_serial(dir.path()), QString()); // a directory
}
