#include "data/load/eobs_gps_loader.h"

#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/load/reader_chain.h"
#include "data/model/event_space.h"

namespace {

const reader_chain_steps::reader_chain<loader_gps_eobsmb, loader_gps_mbd, loader_named_gps> gps_readers{
    header_sniff::gps_fixed, header_sniff::gps_eobs, header_sniff::gps_named, "loading gps data file...",
    "loader_gps_eobsmb",     "loader_gps_mbd",       "loader_named_gps"};

} // namespace

eobs_gps_loader::eobs_gps_loader(const QString& file_name, loader_progress* progress)
    : eobs_gps_loader(file_name, header_sniff::of_file(file_name, false), progress)
{
}

eobs_gps_loader::eobs_gps_loader(const QString& file_name, const header_sniff& sniff,
                                 loader_progress* progress)
{
    reader_chain_steps::run_chain<event_space>(*this, file_name, sniff, progress, gps_readers);
}
