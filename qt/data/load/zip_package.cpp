#include "data/load/zip_package.h"

#include "data/formats/header_sniff.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/io/zip_entry_path.h"

zip_package::zip_package(const QString& archive) : archive(zip_entry_path::is_archive(archive))
{
    QString escaping;
    entries = zip_entry_path::entries(archive, &escaping);
    if (!escaping.isEmpty()) {
        refusal = zip_entry_path::escape_refusal(archive, escaping);
        entries.clear();
        return;
    }
    if (!several())
        return;
    // Names are paired within the archive, whatever the archive's own name holds.
    const QString folder = archive + QLatin1Char('/');
    for (const QString& entry : entries) {
        const eobs_guess_acc_gps_filenames names(entry.mid(folder.size()));
        const QString partner = folder + names.gps_filename;
        if (names.acc_filename == entry.mid(folder.size()) && partner != entry && entries.contains(partner)) {
            acc = entry;
            gps = partner;
            return;
        }
    }
    QString both; // the first entry with both sensors' rows
    for (const QString& entry : entries) {
        const header_sniff sniff = header_sniff::of_file(entry);
        const bool reads_acc = sniff.reads_as(header_sniff::acceleration);
        const bool reads_gps = sniff.reads_as(header_sniff::gps);
        if (reads_acc && reads_gps && both.isEmpty())
            both = entry;
        else if (reads_acc && acc.isEmpty())
            acc = entry;
        else if (reads_gps && gps.isEmpty())
            gps = entry;
    }
    if (!both.isEmpty() && (acc.isEmpty() || gps.isEmpty())) {
        acc = both;
        gps = both;
    }
}
