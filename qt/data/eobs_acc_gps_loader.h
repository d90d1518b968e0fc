#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class burst_space;
class event_space;
class loader_progress;

// Outcome of a loader chain. ELS_READ_FAILED: the file could not be read at all (see reason).
enum load_status : qint32 {
    ELS_NONE = 0,
    ELS_SUCCESS = 1,
    ELS_WRONG_HEADER = 2,
    ELS_CANCELLED = 3,
    ELS_READ_FAILED = 4,
};

// Loads an acceleration file: the fixed-header reader first, the "eobs_" reader second. All work is
// done in the constructor; log lines go to standard error.
class eobs_acc_loader
{
public:
    eobs_acc_loader(const QString& file_name, loader_progress* progress);
    // A read that failed before the chain could give an outcome (e.g. out of memory).
    explicit eobs_acc_loader(const QString& failure_reason);
    ~eobs_acc_loader();
    // Runs the chain; any exception becomes a failed read, so a pool thread never ends the program.
    static std::unique_ptr<eobs_acc_loader> guarded(const QString& file_name, loader_progress* progress);
    eobs_acc_loader(const eobs_acc_loader&) = delete;
    eobs_acc_loader& operator=(const eobs_acc_loader&) = delete;

    load_status status = ELS_NONE;
    std::unique_ptr<burst_space> space; // present only with ELS_SUCCESS
    QString reason;                     // one line for the user with ELS_READ_FAILED
};

// Loads a GPS file likewise, with the GPS readers.
class eobs_gps_loader
{
public:
    eobs_gps_loader(const QString& file_name, loader_progress* progress);
    explicit eobs_gps_loader(const QString& failure_reason);
    ~eobs_gps_loader();
    static std::unique_ptr<eobs_gps_loader> guarded(const QString& file_name, loader_progress* progress);
    eobs_gps_loader(const eobs_gps_loader&) = delete;
    eobs_gps_loader& operator=(const eobs_gps_loader&) = delete;

    load_status status = ELS_NONE;
    std::unique_ptr<event_space> space; // present only with ELS_SUCCESS
    QString reason;                     // one line for the user with ELS_READ_FAILED
};

// Result of loading an acceleration file, handed from the worker to the GUI thread once.
struct eobs_acc_result
{
    std::unique_ptr<eobs_acc_loader> acc;
};

// Result of loading a GPS file alone, handed from the worker to the GUI thread once.
struct eobs_gps_result
{
    std::unique_ptr<eobs_gps_loader> gps;
};

// Result of loading an acceleration and GPS pair, handed from the worker to the GUI thread once.
struct eobs_acc_gps_result
{
    std::unique_ptr<eobs_acc_loader> acc;
    std::unique_ptr<eobs_gps_loader> gps;
};
