// MBTiles files as anyone may hand them over. Input starting as an SQLite database is the file
// itself; any other input is SQL run on a fresh database (tables, views, rows, metadata), itself
// bounded. The file is then opened and a few tiles read: every open and read ends within its step
// budget (-timeout catches one that does not), and no tile read is larger than an image may be.
#include "fuzz_input_file.h"

#include "tiles/mbtiles_file.h"
#include "tiles/tile_image_check.h"

#include <QFile>

#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_support::silence();
    return 0;
}

namespace {

struct budget
{
    int calls_left = 1000;
    std::chrono::steady_clock::time_point deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(1);
};

int count_down(void* left)
{
    auto* b = static_cast<budget*>(left);
    return --b->calls_left < 0 || std::chrono::steady_clock::now() > b->deadline ? 1 : 0;
}

// The input's SQL may not lift the database's size cap.
int no_size_pragma(void*, int action, const char* name, const char*, const char*, const char*)
{
    const bool size =
        name && (std::strcmp(name, "max_page_count") == 0 || std::strcmp(name, "page_size") == 0);
    return action == SQLITE_PRAGMA && size ? SQLITE_DENY : SQLITE_OK;
}

// Runs the input as SQL on a new database at path: within a million steps or a second, at most
// 16 MB (one step can make an 8 MB value), writing no other file.
void run_sql(const std::uint8_t* data, std::size_t size, const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + suffix);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK) {
        budget left;
        sqlite3_progress_handler(db, 1000, count_down, &left);
        sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 4 * tile_image_check::max_bytes);
        sqlite3_exec(db, "PRAGMA synchronous=OFF; PRAGMA max_page_count=4096", nullptr, nullptr, nullptr);
        sqlite3_set_authorizer(db, no_size_pragma, nullptr);
        const std::string sql(reinterpret_cast<const char*>(data), size);
        // Each statement in turn, so one that fails leaves the rest to run.
        const char* next = sql.c_str();
        while (*next && left.calls_left >= 0 && std::chrono::steady_clock::now() < left.deadline) {
            sqlite3_stmt* statement = nullptr;
            const char* rest = next;
            sqlite3_prepare_v2(db, next, -1, &statement, &rest);
            while (statement && sqlite3_step(statement) == SQLITE_ROW) {
            }
            sqlite3_finalize(statement);
            if (rest == next)
                break;
            next = rest;
        }
    }
    sqlite3_close_v2(db);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString path;
    if (size >= 16 && std::memcmp(data, "SQLite format 3", 16) == 0) {
        path = fuzz_support::write_input(data, size, ".mbtiles");
    } else {
        path = fuzz_support::write_input(data, 0, "-sql.mbtiles");
        run_sql(data, size, path);
    }
    QString error;
    const std::unique_ptr<mbtiles_file> file = mbtiles_file::open(path, error);
    if (!file) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    const int levels[] = {0, file->min_level(), file->max_level()};
    for (const int level : levels) {
        const int last = level >= 0 && level <= 30 ? (1 << level) - 1 : 0;
        for (const int y : {0, last}) {
            file->covers(0, y, level);
            if (file->tile_data(0, y, level).size() > tile_image_check::max_bytes)
                std::abort();
        }
    }
    return 0;
}
