#include "data/load/eobs_acc_gps_loader.h"

#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "data/io/loader_cancelled.h"
#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/formats/loader_mbd.h"
#include "data/formats/loader_named_acc.h"
#include "data/formats/loader_named_gps.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_read_failed.h"
#include "data/io/loader_wrong_header.h"
#include "data/io/trace.h"

#include <new>
#include <type_traits>

namespace {

// Reads with Reader into chain.space; false when Reader refuses the header. The container is built
// from the reader's list after its "succeeded" line, so the container's own log lines follow it.
template <typename Space, typename Reader, typename Chain, typename Take>
bool try_reader(Chain& chain, const QString& file_name, loader_progress* progress, const char* name,
                Take list_of)
{
    trace::err("try to load with ", name);
    try {
        Reader reader(file_name, progress);
        trace::err(" ", name, " succeeded");
        chain.space = std::make_unique<Space>(list_of(reader));
        return true;
    } catch (const loader_wrong_header&) {
        trace::err(" ", name, " failed");
        return false;
    }
}

// Tries First, then Second, then Third.
template <typename Space, typename First, typename Second, typename Third, typename Chain, typename Take>
void run_chain(Chain& chain, const QString& file_name, loader_progress* progress, const char* text,
               const char* first_name, const char* second_name, const char* third_name, Take list_of)
{
    chain.status = ELS_NONE;
    progress->loader_progress_set_file(file_name);
    progress->loader_progress_set_text(QString::fromLatin1(text));
    try {
        if (!try_reader<Space, First>(chain, file_name, progress, first_name, list_of) &&
            !try_reader<Space, Second>(chain, file_name, progress, second_name, list_of) &&
            !try_reader<Space, Third>(chain, file_name, progress, third_name, list_of)) {
            chain.status = ELS_WRONG_HEADER;
            return;
        }
        chain.status = ELS_SUCCESS;
    } catch (const loader_cancelled&) {
        // Named after the first reader whichever reader was cancelled; the log has always read so.
        trace::err(" ", first_name, " cancelled");
        chain.space.reset();
        chain.status = ELS_CANCELLED;
    } catch (const std::bad_alloc&) {
        // Whatever was read is released while unwinding; the program goes on.
        trace::err(" ", first_name, " out of memory");
        chain.space.reset();
        chain.reason = QStringLiteral("Not enough memory to load this file.");
        chain.status = ELS_READ_FAILED;
    } catch (const loader_read_failed& failure) {
        trace::err(" ", first_name, " read failed: ", failure.reason());
        chain.space.reset();
        chain.reason = failure.reason();
        chain.status = ELS_READ_FAILED;
    }
}

} // namespace

eobs_acc_loader::eobs_acc_loader(const QString& file_name, loader_progress* progress)
{
    run_chain<burst_space, loader_eobsmb, loader_mbd, loader_named_acc>(
        *this, file_name, progress, "loading acceleration data file...", "loader_eobsmb", "loader_mbd",
        "loader_named_acc", [this](auto& reader) -> auto& { return take_bursts(reader); });
}

std::vector<std::unique_ptr<burst>>& eobs_acc_loader::take_bursts(acc_csv_reader& reader)
{
    return reader.bursts();
}

std::vector<std::unique_ptr<burst>>& eobs_acc_loader::take_bursts(loader_named_acc& reader)
{
    animal_groups<burst>& animals = reader.animals();
    if (animals.size() > 0)
        first_animal = animals[0].id;
    for (std::size_t i = 1; i < animals.size(); ++i)
        more_animals.push_back({animals[i].id, std::make_unique<burst_space>(animals[i].items)});
    return reader.bursts();
}

eobs_acc_loader::eobs_acc_loader(const QString& failure_reason) : load_outcome(failure_reason) {}

eobs_acc_loader::~eobs_acc_loader() = default;

eobs_gps_loader::eobs_gps_loader(const QString& file_name, loader_progress* progress)
{
    run_chain<event_space, loader_gps_eobsmb, loader_gps_mbd, loader_named_gps>(
        *this, file_name, progress, "loading gps data file...", "loader_gps_eobsmb", "loader_gps_mbd",
        "loader_named_gps", [this](auto& reader) -> auto& {
            if constexpr (std::is_same_v<std::decay_t<decltype(reader)>, loader_named_gps>) {
                animal_groups<gps_event>& animals = reader.animals();
                if (animals.size() > 0)
                    first_animal = animals[0].id;
                for (std::size_t i = 1; i < animals.size(); ++i)
                    more_animals.push_back({animals[i].id, std::make_unique<event_space>(animals[i].items)});
            }
            return reader.events();
        });
}

eobs_gps_loader::eobs_gps_loader(const QString& failure_reason) : load_outcome(failure_reason) {}

eobs_gps_loader::~eobs_gps_loader() = default;

namespace {

// The loader's animals, its first one first, taken out of it.
template <typename Animal, typename Loader> std::vector<Animal> take_animals_of(Loader& loader)
{
    std::vector<Animal> animals;
    animals.push_back({loader.first_animal, std::move(loader.space)});
    for (Animal& more : loader.more_animals)
        animals.push_back(std::move(more));
    return animals;
}

} // namespace

std::vector<animal_bursts> eobs_acc_loader::take_animals()
{
    return take_animals_of<animal_bursts>(*this);
}

std::vector<animal_events> eobs_gps_loader::take_animals()
{
    return take_animals_of<animal_events>(*this);
}
