// A labels file as a user may bring one (field notes, video scoring): reading never crashes, and what
// was read is written and read back unchanged, so a rewrite after an edit loses no segment.
#include "fuzz_input_file.h"

#include "data/labels/labels_file.h"

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
    return 0;
}
