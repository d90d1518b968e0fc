#include "data/formats/loader_mbd.h"

loader_mbd::loader_mbd(const byte_input& input, loader_progress* progress, qint64 sample_limit)
    : acc_csv_reader(input, progress, layout{nullptr, trace::stream::out, false}, sample_limit)
{
}

loader_mbd::loader_mbd(line_reader& lines, const char* begin, const char* end, loader_progress* progress)
    : acc_csv_reader(lines, begin, end, progress, layout{nullptr, trace::stream::out, false}, max_samples)
{
}
