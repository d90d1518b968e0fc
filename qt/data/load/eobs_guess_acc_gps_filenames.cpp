#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/io/trace.h"
#include "data/io/zip_entry_path.h"

eobs_guess_acc_gps_filenames::eobs_guess_acc_gps_filenames(const QString& name)
{
    trace_debug() << "eobs_guess_acc_gps_filenames: " << name;
    // A compressed export ("x-acc.csv.gz", "x-acc.csv.zip") pairs with its partner compressed alike.
    const QString whole_lower = name.toLower();
    const int packed = whole_lower.endsWith(".gz") ? 3 : whole_lower.endsWith(".zip") ? 4 : 0;
    const QString base = name.left(name.size() - packed);
    const QString packing = name.right(packed);
    // The suffix is tested case-insensitively but replaced case-sensitively on the original name,
    // so a name in capitals keeps its own text in both fields.
    const QString lower = base.toLower();
    if (lower.endsWith("_acc.txt")) {
        acc_filename = base;
        gps_filename = QString(base).replace("_acc.txt", "_gps.txt");
    } else if (lower.endsWith("acc.csv")) {
        acc_filename = base;
        gps_filename = QString(base).replace("acc.csv", "gps.csv");
    } else if (lower.endsWith("_gps.txt")) {
        acc_filename = QString(base).replace("_gps.txt", "_acc.txt");
        gps_filename = base;
    } else if (lower.endsWith("gps.csv")) {
        acc_filename = QString(base).replace("gps.csv", "acc.csv");
        gps_filename = base;
    }
    if (!acc_filename.isEmpty()) {
        acc_filename += packing;
        gps_filename += packing;
    }
    trace_debug() << " => acc_filename: " << acc_filename;
    trace_debug() << " => gps_filename: " << gps_filename;
}

namespace {

QString existing(const QString& name, const QString& partner)
{
    return !partner.isEmpty() && partner != name && zip_entry_path::exists(partner) ? partner : QString();
}

} // namespace

QString eobs_guess_acc_gps_filenames::existing_gps_partner(const QString& name)
{
    return existing(name, eobs_guess_acc_gps_filenames(name).gps_filename);
}

QString eobs_guess_acc_gps_filenames::existing_acc_partner(const QString& name)
{
    return existing(name, eobs_guess_acc_gps_filenames(name).acc_filename);
}
