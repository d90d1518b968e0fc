// One reader on the fuzzed bytes; the reader is chosen at build time (FUZZ_READER). A reader may
// throw its documented exceptions; anything else, a crash or a sanitizer report is a finding.
#include "fuzz_input_file.h"

#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/formats/loader_mbd.h"
#include "data/formats/loader_named_acc.h"
#include "data/formats/loader_named_gps.h"
#include "data/io/loader_read_failed.h"
#include "data/io/loader_wrong_header.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_support::silence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz_support::write_input(data, size);
    fuzz_support::never_cancelled progress;
    try {
        FUZZ_READER reader(path, &progress);
    } catch (const loader_wrong_header&) {
    } catch (const loader_read_failed&) {
    }
    return 0;
}
