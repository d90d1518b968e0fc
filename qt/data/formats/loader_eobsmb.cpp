#include "data/formats/loader_eobsmb.h"

const char* const loader_eobsmb::header =
    "key-bin-checksum,tag-serial-number,start-timestamp,acceleration-sampling-frequency-per-axis,"
    "acceleration-axes,accelerations-raw";

loader_eobsmb::loader_eobsmb(const byte_input& input, loader_progress* progress, qint64 sample_limit)
    : acc_csv_reader(input, progress, layout{header, trace::stream::err, true}, sample_limit)
{
}

loader_eobsmb::loader_eobsmb(line_reader& lines, const char* begin, const char* end,
                             loader_progress* progress)
    : acc_csv_reader(lines, begin, end, progress, layout{header, trace::stream::err, true}, max_samples)
{
}
