#include "data/load/zip_package.h"

#include "data/formats/header_sniff.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/io/zip_directory.h"
#include "data/io/zip_entry_path.h"

#include <QSet>

zip_package::zip_package(const QString& archive, const std::function<bool(int, int)>& step)
{
    zip_directory directory(archive);
    this->archive = directory.archive;
    entries = directory.entries;
    if (!directory.escaping.isEmpty()) {
        refusal = zip_entry_path::escape_refusal(archive, directory.escaping);
        entries.clear();
        return;
    }
    if (!several())
        return;
    // Names are paired within the archive, whatever the archive's own name holds.
    const QString folder = archive + QLatin1Char('/');
    const QSet<QString> present(entries.begin(), entries.end());
    for (const QString& entry : entries) {
        const eobs_guess_acc_gps_filenames names(entry.mid(folder.size()));
        const QString partner = folder + names.gps_filename;
        if (names.acc_filename == entry.mid(folder.size()) && partner != entry && present.contains(partner)) {
            acc = entry;
            gps = partner;
            return;
        }
    }
    QString both; // the first entry with both sensors' rows
    for (int i = 0; i < entries.size(); ++i) {
        if (step && !step(i, entries.size())) {
            cancelled = true;
            acc.clear();
            gps.clear();
            return;
        }
        const QString& entry = entries[i];
        const header_sniff sniff = header_sniff::of_head(entry, directory.head(i));
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
