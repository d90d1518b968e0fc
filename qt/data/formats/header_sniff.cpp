#include "data/formats/header_sniff.h"

#include "data/formats/acc_csv_reader.h"
#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/formats/loader_mbd.h"
#include "data/formats/loader_named_acc.h"
#include "data/formats/loader_named_gps.h"
#include "data/formats/named_columns.h"
#include "data/formats/named_rows.h"
#include "data/io/line_reader.h"
#include "data/io/loader_read_failed.h"
#include "data/io/trace.h"
#include "data/io/zip_entry_path.h"

header_sniff header_sniff::of_file(const QString& path, bool logged)
{
    if (!zip_entry_path::exists(path))
        return header_sniff();
    return of_existing(path, logged);
}

header_sniff header_sniff::of_head(const QString& entry_path, const QByteArray& head)
{
    return of_existing(byte_input(entry_path, head), true);
}

header_sniff header_sniff::of_existing(const byte_input& input, bool logged)
{
    header_sniff sniff;
    if (logged)
        trace::err("header check of ", input.name);
    try {
        line_reader lines(input);
        const char* b;
        const char* e;
        lines.header(b, e);
        sniff = of_line(b, e);
    } catch (const loader_read_failed& failure) {
        sniff.failure = failure.reason();
    }
    sniff.exists = true;
    return sniff;
}

header_sniff header_sniff::of_line(const char* b, const char* e)
{
    header_sniff sniff;
    sniff.read = true;
    sniff.accepts[acc_fixed] = acc_csv_reader::accepts(b, e, loader_eobsmb::header);
    sniff.accepts[acc_eobs] = acc_csv_reader::accepts(b, e, nullptr);
    sniff.accepts[gps_fixed] = gps_csv_reader::accepts(b, e, loader_gps_eobsmb::format);
    sniff.accepts[gps_eobs] = gps_csv_reader::accepts(b, e, loader_gps_mbd::format);
    const named_columns columns(b, e);
    sniff.accepts[acc_named] = loader_named_acc::accepts(columns);
    sniff.accepts[gps_named] = loader_named_gps::accepts(columns);
    sniff.both_sensors = named_rows::names_both_sensors(columns);
    sniff.names_animals =
        columns.find("individual_local_identifier") >= 0 || columns.find("tag_local_identifier") >= 0;
    sniff.header_fields = static_cast<int>(acc_csv_reader::header_field_count(b, e));
    return sniff;
}

header_sniff::kind header_sniff::fixed_kind() const
{
    if (accepts[acc_fixed] || accepts[acc_eobs])
        return acceleration;
    if (accepts[gps_fixed] || accepts[gps_eobs])
        return gps;
    return neither;
}

bool header_sniff::reads_as(kind sensor) const
{
    const kind fixed = fixed_kind();
    if (fixed != neither)
        return fixed == sensor;
    return sensor == acceleration ? accepts[acc_named] : sensor == gps && accepts[gps_named];
}
