#include "data/formats/eobs_file_refusal.h"

#include "data/formats/named_columns.h"
#include "data/io/line_reader.h"
#include "data/io/loader_read_failed.h"

#include <QStringList>

#include <initializer_list>

namespace {

// A needed column: its name in the header check's spelling, another name the readers take in its
// place (or null), and its name as the repository writes it.
struct column
{
    const char* name;
    const char* other;
    const char* shown;
};

// The columns of set the header lacks, as the repository names them; empty when it has none of
// the columns that mark the set (a header that is no attempt at this layout).
QStringList missing(const named_columns& header, std::initializer_list<column> set,
                    std::initializer_list<const char*> marks)
{
    bool marked = false;
    for (const char* mark : marks)
        marked = marked || header.find(mark) >= 0;
    QStringList absent;
    if (!marked)
        return absent;
    for (const column& c : set)
        if (header.find(c.name) < 0 && (!c.other || header.find(c.other) < 0))
            absent << QStringLiteral("\"%1\"").arg(QString::fromLatin1(c.shown));
    return absent;
}

QStringList missing_columns(const named_columns& header, header_sniff::kind wanted)
{
    if (wanted == header_sniff::gps)
        return missing(header,
                       {{"location_long", nullptr, "location-long"},
                        {"location_lat", nullptr, "location-lat"},
                        {"timestamp", nullptr, "timestamp"}},
                       {"location_long", "location_lat"});
    QStringList per_burst = missing(header,
                                    {{"eobs_accelerations_raw", nullptr, "eobs:accelerations-raw"},
                                     {"eobs_acceleration_axes", nullptr, "eobs:acceleration-axes"},
                                     {"eobs_acceleration_sampling_frequency_per_axis", nullptr,
                                      "eobs:acceleration-sampling-frequency-per-axis"},
                                     {"eobs_start_timestamp", "timestamp", "eobs:start-timestamp"}},
                                    {"eobs_accelerations_raw", "eobs_acceleration_axes",
                                     "eobs_acceleration_sampling_frequency_per_axis"});
    if (!per_burst.isEmpty())
        return per_burst;
    return missing(header,
                   {{"acceleration_raw_x", "acceleration_x", "acceleration-raw-x"},
                    {"acceleration_raw_y", "acceleration_y", "acceleration-raw-y"},
                    {"acceleration_raw_z", "acceleration_z", "acceleration-raw-z"},
                    {"timestamp", nullptr, "timestamp"}},
                   {"acceleration_raw_x", "acceleration_raw_y", "acceleration_raw_z", "acceleration_x",
                    "acceleration_y", "acceleration_z"});
}

} // namespace

QString eobs_file_refusal::reason(const QString& file_name, header_sniff::kind wanted)
{
    QStringList absent;
    bool other_kind = false;
    const header_sniff::kind other =
        wanted == header_sniff::gps ? header_sniff::acceleration : header_sniff::gps;
    try {
        line_reader lines(file_name);
        const char* b;
        const char* e;
        lines.header(b, e);
        if (b == e && lines.at_end())
            return QStringLiteral("is empty");
        absent = missing_columns(named_columns(b, e), wanted);
        other_kind = header_sniff::of_line(b, e).reads_as(other);
    } catch (const loader_read_failed&) {
        return QString();
    }
    if (other_kind)
        return wanted == header_sniff::gps ? QStringLiteral("is an acceleration export, not a GPS export")
                                             : QStringLiteral("is a GPS export, not an acceleration export");
    if (absent.isEmpty())
        return QString();
    const QString needs = wanted == header_sniff::gps ? QStringLiteral("a GPS download needs")
                                                        : QStringLiteral("an acceleration download needs");
    return absent.size() == 1
               ? QStringLiteral("lacks the column %1 that %2").arg(absent.first(), needs)
               : QStringLiteral("lacks the columns %1 that %2").arg(absent.join(QStringLiteral(", ")), needs);
}
