// Zip packages and the file kind of their entries. Input starting as a zip archive is the archive;
// any other input is a list of entries, each "@@ <name>" line starting one, zipped here. For the
// zipped list, each entry's kind judged on its head must equal the kind judged on the whole entry.
#include "fuzz_input_file.h"

#include "data/formats/header_sniff.h"
#include "data/io/parallel_lines.h"
#include "data/io/zip_directory.h"
#include "data/load/zip_package.h"

#include <QFile>

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_support::silence();
    parallel_lines::set_threads(1); // no thread pool for each header check; fuzz_parallel_lines covers it
    return 0;
}

namespace {

// Zips the "@@ <name>" entries of the input into path (names that are not UTF-8 are dropped, as
// libzip would store them unchanged); false when there are none.
bool zip_entries(const QByteArray& input, const QString& path)
{
    std::vector<std::pair<QByteArray, QByteArray>> entries;
    for (const QByteArray& line : input.split('\n')) {
        if (line.startsWith("@@ "))
            entries.emplace_back(line.mid(3), QByteArray());
        else if (!entries.empty())
            entries.back().second += line + '\n';
    }
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        return false;
    for (const auto& [name, content] : entries) {
        if (name.contains('\0') || QString::fromUtf8(name).toUtf8() != name)
            continue;
        zip_source_t* source = zip_source_buffer(archive, content.constData(), content.size(), 0);
        if (zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0)
            zip_source_free(source);
    }
    return zip_close(archive) == 0 && !entries.empty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const bool raw = size >= 4 && std::memcmp(data, "PK\x03\x04", 4) == 0;
    QString path;
    if (raw) {
        path = fuzz_support::write_input(data, size, ".zip");
    } else {
        path = fuzz_support::write_input(data, 0, ".zip");
        if (!zip_entries(QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)), path))
            return 0;
    }
    const zip_package package(path);
    if ((!package.acc.isEmpty() && !package.entries.contains(package.acc)) ||
        (!package.gps.isEmpty() && !package.entries.contains(package.gps)))
        std::abort();
    zip_directory directory(path);
    if (raw || !directory.escaping.isEmpty()) // an escaping name refuses every entry unread
        return 0;
    for (int i = 0; i < directory.entries.size(); ++i) {
        const QString& entry = directory.entries[i];
        const header_sniff head = header_sniff::of_head(entry, directory.head(i));
        const header_sniff whole = header_sniff::of_file(entry, false);
        if (head.reads_as(header_sniff::acceleration) != whole.reads_as(header_sniff::acceleration) ||
            head.reads_as(header_sniff::gps) != whole.reads_as(header_sniff::gps))
            std::abort();
    }
    return 0;
}
