#pragma once

#include "data/load_outcome.h"

#include <QString>

#include <memory>

class burst_space;
class event_space;

// Loads an acceleration file: the fixed-header reader first, the "eobs_" reader second. All work is
// done in the constructor; log lines go to standard error.
class eobs_acc_loader : public load_outcome<eobs_acc_loader, burst_space>
{
public:
    eobs_acc_loader(const QString& file_name, loader_progress* progress);
    explicit eobs_acc_loader(const QString& failure_reason);
    ~eobs_acc_loader();
};

// Loads a GPS file likewise, with the GPS readers.
class eobs_gps_loader : public load_outcome<eobs_gps_loader, event_space>
{
public:
    eobs_gps_loader(const QString& file_name, loader_progress* progress);
    explicit eobs_gps_loader(const QString& failure_reason);
    ~eobs_gps_loader();
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
struct eobs_acc_gps_result : eobs_acc_result
{
    std::unique_ptr<eobs_gps_loader> gps;
};
