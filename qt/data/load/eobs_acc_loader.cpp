#include "data/load/eobs_acc_loader.h"

#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_mbd.h"
#include "data/load/reader_chain.h"
#include "data/model/burst_space.h"

namespace {

const reader_chain_steps::reader_chain<loader_eobsmb, loader_mbd, loader_named_acc> acc_readers{
    header_sniff::acc_fixed, header_sniff::acc_eobs,
    header_sniff::acc_named, "loading acceleration data file...",
    "loader_eobsmb",         "loader_mbd",
    "loader_named_acc"};

} // namespace

eobs_acc_loader::eobs_acc_loader(const QString& file_name, loader_progress* progress)
    : eobs_acc_loader(file_name, header_sniff::of_file(file_name, false), progress)
{
}

eobs_acc_loader::eobs_acc_loader(const QString& file_name, const header_sniff& sniff,
                                 loader_progress* progress)
{
    reader_chain_steps::run_chain<burst_space>(*this, file_name, sniff, progress, acc_readers);
}
