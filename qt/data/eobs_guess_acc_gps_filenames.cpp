#include "data/eobs_guess_acc_gps_filenames.h"
#include "data/trace.h"

eobs_guess_acc_gps_filenames::eobs_guess_acc_gps_filenames(const QString& name)
{
    trace_debug() << "eobs_guess_acc_gps_filenames: " << name;
    // The suffix is tested case-insensitively but replaced case-sensitively on the original name,
    // so a name in capitals keeps its own text in both fields.
    const QString lower = name.toLower();
    if (lower.endsWith("_acc.txt")) {
        acc_filename = name;
        gps_filename = QString(name).replace("_acc.txt", "_gps.txt");
    } else if (lower.endsWith("acc.csv")) {
        acc_filename = name;
        gps_filename = QString(name).replace("acc.csv", "gps.csv");
    } else if (lower.endsWith("_gps.txt")) {
        acc_filename = QString(name).replace("_gps.txt", "_acc.txt");
        gps_filename = name;
    } else if (lower.endsWith("gps.csv")) {
        acc_filename = QString(name).replace("gps.csv", "acc.csv");
        gps_filename = name;
    }
    trace_debug() << " => acc_filename: " << acc_filename;
    trace_debug() << " => gps_filename: " << gps_filename;
}
