// A labels file as a user may bring one (field notes, video scoring): reading never crashes, and what
// was read is written and read back unchanged, so a rewrite after an edit loses no segment. Its
// segments merged as ours with its header and later half as theirs: each side's winner keeps its own.
#include "fuzz_input_file.h"

#include "data/labels/label_merge.h"
#include "data/labels/labels_file.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_support::silence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const labels_file::result first = labels_file::read(fuzz_support::write_input(data, size, "-labels"));
    if (!first.failure.isEmpty())
        return 0;
    const QByteArray csv = labels_file::to_csv(first.segments);
    const labels_file::result again =
        labels_file::read(fuzz_support::write_input(reinterpret_cast<const std::uint8_t*>(csv.constData()),
                                                    static_cast<std::size_t>(csv.size()), "-again"));
    if (!again.failure.isEmpty() || again.skipped_lines != 0 || labels_file::to_csv(again.segments) != csv)
        std::abort();

    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const int body = bytes.indexOf('\n') + 1;
    const QByteArray half = bytes.left(body) + bytes.mid(std::max(body, bytes.size() / 2));
    const labels_file::result later = labels_file::read(fuzz_support::write_input(
        reinterpret_cast<const std::uint8_t*>(half.constData()), static_cast<std::size_t>(half.size()), "-later"));
    const label_merge merge(label_segments(), first.segments, later.segments);
    for (const label_segment& s : first.segments.all())
        if (merge.ours_winning().label_at(s.animal, s.start_ms) != s.label)
            std::abort();
    for (const label_segment& s : later.segments.all())
        if (merge.merged().label_at(s.animal, s.start_ms) != s.label)
            std::abort();
    return 0;
}
