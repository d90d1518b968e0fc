#pragma once

#include <QString>
#include <QtGlobal>

#include <exception>
#include <memory>

class loader_progress;

// Outcome of a loader chain. ELS_READ_FAILED: the file could not be read at all (see reason).
enum load_status : qint32 {
    ELS_NONE = 0,
    ELS_SUCCESS = 1,
    ELS_WRONG_HEADER = 2,
    ELS_CANCELLED = 3,
    ELS_READ_FAILED = 4,
};

// What a loader chain Chain leaves behind, whatever it reads into Space. Chain runs in its
// constructor (file name, progress), takes a failure reason in another, and defines both and its
// destructor where Space is complete.
template <typename Chain, typename Space> struct load_outcome
{
    load_outcome() = default;
    // A read that failed before the chain could give an outcome (e.g. out of memory).
    explicit load_outcome(const QString& failure_reason) : status(ELS_READ_FAILED), reason(failure_reason) {}

    // Runs the chain on the constructor's arguments; any exception becomes a failed read, so a pool
    // thread never ends the program.
    template <typename... Args> static std::unique_ptr<Chain> guarded(const Args&... args)
    {
        try {
            return std::make_unique<Chain>(args...);
        } catch (const std::exception& failure) {
            return std::make_unique<Chain>(
                QStringLiteral("Can't load file: %1").arg(QString::fromLocal8Bit(failure.what())));
        }
    }

    load_status status = ELS_NONE;
    std::unique_ptr<Space> space; // present only with ELS_SUCCESS
    QString reason;               // one line for the user with ELS_READ_FAILED
};
