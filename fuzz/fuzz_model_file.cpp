// A behaviour model file as anyone may hand one over: reading never crashes, hangs or takes gigabytes.
// An input that starts as XGBoost's UBJSON ("{L") is the booster alone, put in a model file whose
// settings allow the most trees, so the fuzzer works on the booster rather than the JSON around it.
#include "fuzz_input_file.h"

#include "data/classify/behaviour_model.h"
#include "data/classify/model_file.h"

#include <QByteArray>

// Qt 5.15's JSON parser leaks a few hundred bytes on some malformed documents: Qt's, not the reader's.
// Qt is built without frame pointers, so only the slow unwinder sees fromJson in the stack.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:QJsonDocument::fromJson\n";
}

extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_support::silence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    if (bytes.startsWith("{L"))
        bytes = R"({"format": "dornvale-behaviour-model", "version": 1,
                    "settings": {"rounds": 10000, "max_depth": 64, "eta": 0.3, "folds": 5},
                    "labels": [{"name": "rest"}, {"name": "walk"}, {"name": "fly"}],
                    "features": [{"name": "odba"}, {"name": "dom_freq_z"}, {"name": "noise"}],
                    "booster": ")" +
                bytes.toBase64() + "\"}";
    QString error;
    const std::optional<behaviour_model> model =
        model_file::read(fuzz_support::write_input(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                   std::size_t(bytes.size()), "-model"),
                         &error);
    return 0;
}
