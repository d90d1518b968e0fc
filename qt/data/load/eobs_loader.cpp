#include "data/load/eobs_loader.h"

#include "data/formats/acc_csv_reader.h"
#include "data/formats/header_sniff.h"
#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/formats/loader_mbd.h"
#include "data/formats/loader_named_acc.h"
#include "data/formats/loader_named_gps.h"
#include "data/io/loader_cancelled.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_read_failed.h"
#include "data/io/line_reader.h"
#include "data/io/trace.h"

#include <new>
#include <optional>
#include <type_traits>

namespace {

// Where a reader's header check writes when it refuses a line: the fixed acceleration layout says
// so on standard error, the "eobs_" one counts the fields on standard output, the others say nothing.
void log_refusal(header_sniff::sniffed_reader reader, const header_sniff& sniff)
{
    if (reader == header_sniff::acc_fixed)
        trace::err("header mismatch");
    else if (reader == header_sniff::acc_eobs)
        trace::out("header fields: ", sniff.header_fields);
}

// Gives an animal's fixes the counts of the rows the reader left out; bursts have none.
template <typename Reader, typename Space>
std::unique_ptr<Space> with_left_out(std::unique_ptr<Space> space, const Reader& reader,
                                     const QString& animal)
{
    if constexpr (std::is_same_v<Reader, loader_named_gps>) {
        space->left_out = reader.left_out(animal);
    } else if constexpr (std::is_base_of_v<gps_csv_reader, Reader>) {
        space->left_out = reader.left_out();
    }
    (void)reader;
    (void)animal;
    return space;
}

// Gives the bursts of the reader's animal (by position) the tag its rows name; fixes have none.
template <typename Reader, typename Space>
std::unique_ptr<Space> with_tag(std::unique_ptr<Space> space, Reader& reader, std::size_t animal)
{
    if constexpr (std::is_same_v<Reader, loader_named_acc>) {
        if (animal < reader.animals().size())
            space->tag = reader.animals()[animal].tag;
    }
    (void)reader;
    (void)animal;
    return space;
}

// The reader's items (bursts or fixes) of its first animal; a named-column reader's other animals go
// to the chain's more_animals, each in a Space of its own.
template <typename Space, typename Chain, typename Reader> auto& items_of(Chain& chain, Reader& reader)
{
    if constexpr (std::is_same_v<Reader, loader_named_acc> || std::is_same_v<Reader, loader_named_gps>) {
        auto& animals = reader.animals();
        if (animals.size() > 0)
            chain.first_animal = animals[0].id;
        for (std::size_t i = 1; i < animals.size(); ++i)
            chain.more_animals.push_back(
                {animals[i].id, with_tag(with_left_out(std::make_unique<Space>(animals[i].items), reader,
                                                       animals[i].id),
                                         reader, i)});
        return animals.first();
    } else if constexpr (std::is_base_of_v<acc_csv_reader, Reader>) {
        return reader.bursts();
    } else {
        return reader.events();
    }
}

// The file a chain reads, opened once when its first reader is tried, and its first line judged once.
struct opened_file
{
    opened_file(const byte_input& input, loader_progress* progress) : input(input), progress(progress) {}

    // Opens the file and reads its first line; a cancel inside that line is told on log.
    void open(trace::stream log)
    {
        if (lines)
            return;
        lines.emplace(input, progress);
        if (lines->header(begin, end) == line_reader::line::cancelled) {
            trace::line(log, "loader was cancelled!");
            throw loader_cancelled();
        }
        sniff = header_sniff::of_line(begin, end);
    }

    const byte_input& input;
    loader_progress* progress;
    std::optional<line_reader> lines;
    const char* begin = nullptr;
    const char* end = nullptr;
    header_sniff sniff;
};

// Reads with Reader into chain.space, on from the first line of the file; false when Reader refuses
// that line. The container is built from the reader's list after its "succeeded" line, so the
// container's own log lines follow it.
template <typename Space, typename Reader, typename Chain>
bool try_reader(Chain& chain, opened_file& file, header_sniff::sniffed_reader which, const char* name,
                trace::stream cancel_log)
{
    trace::err("try to load with ", name);
    file.open(cancel_log);
    if (!file.sniff.accepts[which]) {
        log_refusal(which, file.sniff);
        trace::err(" ", name, " failed");
        return false;
    }
    Reader reader(*file.lines, file.begin, file.end, file.progress);
    trace::err(" ", name, " succeeded");
    chain.skipped_lines = reader.skipped_lines();
    chain.space = std::make_unique<Space>(items_of<Space>(chain, reader));
    chain.space = with_tag(with_left_out(std::move(chain.space), reader, chain.first_animal), reader, 0);
    return true;
}

// The readers of one sensor in the order they are tried, with their names in the log.
template <typename First, typename Second, typename Third> struct reader_chain
{
    header_sniff::sniffed_reader first, second, third;
    const char* text;
    trace::stream cancel_log; // where the first reader tells a cancel inside the first line
    const char* first_name;
    const char* second_name;
    const char* third_name;
};

// Tries First, then Second, then Third on one opening of the file.
template <typename Space, typename First, typename Second, typename Third, typename Chain>
void run_chain(Chain& chain, const byte_input& input, loader_progress* progress,
               const reader_chain<First, Second, Third>& readers)
{
    chain.status = ELS_NONE;
    progress->loader_progress_set_file(input.name);
    progress->loader_progress_set_text(QString::fromLatin1(readers.text));
    try {
        opened_file file(input, progress);
        const trace::stream log = readers.cancel_log;
        if (!try_reader<Space, First>(chain, file, readers.first, readers.first_name, log) &&
            !try_reader<Space, Second>(chain, file, readers.second, readers.second_name, log) &&
            !try_reader<Space, Third>(chain, file, readers.third, readers.third_name, log)) {
            chain.status = ELS_WRONG_HEADER;
            return;
        }
        chain.status = ELS_SUCCESS;
    } catch (const loader_cancelled&) {
        // Named after the first reader whichever reader was cancelled; the log has always read so.
        trace::err(" ", readers.first_name, " cancelled");
        chain.space.reset();
        chain.status = ELS_CANCELLED;
    } catch (const std::bad_alloc&) {
        // Whatever was read is released while unwinding; the program goes on.
        trace::err(" ", readers.first_name, " out of memory");
        chain.space.reset();
        chain.reason = QStringLiteral("Not enough memory to load this file.");
        chain.status = ELS_READ_FAILED;
    } catch (const loader_read_failed& failure) {
        trace::err(" ", readers.first_name, " read failed: ", failure.reason());
        chain.space.reset();
        chain.reason = failure.reason();
        chain.status = ELS_READ_FAILED;
    }
}

const reader_chain<loader_eobsmb, loader_mbd, loader_named_acc> acc_readers{
    header_sniff::acc_fixed,
    header_sniff::acc_eobs,
    header_sniff::acc_named,
    "loading acceleration data file...",
    trace::stream::err,
    "loader_eobsmb",
    "loader_mbd",
    "loader_named_acc"};
const reader_chain<loader_gps_eobsmb, loader_gps_mbd, loader_named_gps> gps_readers{
    header_sniff::gps_fixed, header_sniff::gps_eobs, header_sniff::gps_named, "loading gps data file...",
    trace::stream::out,      "loader_gps_eobsmb",    "loader_gps_mbd",        "loader_named_gps"};

} // namespace

template <typename Space, typename Animal>
eobs_loader<Space, Animal>::eobs_loader(const byte_input& input, loader_progress* progress)
{
    if constexpr (std::is_same_v<Space, burst_space>)
        run_chain<Space>(*this, input, progress, acc_readers);
    else
        run_chain<Space>(*this, input, progress, gps_readers);
}

template class eobs_loader<burst_space, animal_bursts>;
template class eobs_loader<event_space, animal_events>;
