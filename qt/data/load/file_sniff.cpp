#include "data/load/file_sniff.h"

#include "data/io/zip_entry_path.h"

file_sniff file_sniff::of(const QString& path, bool logged, const std::function<bool(int, int)>& step)
{
    file_sniff sniff;
    sniff.path = path;
    if (!zip_entry_path::exists(path))
        return sniff;
    sniff.package = zip_package(path, step);
    if (sniff.package.refusal.isEmpty() && !sniff.package.cancelled && !sniff.package_pair())
        sniff.header = header_sniff::of_file(path, logged);
    return sniff;
}
