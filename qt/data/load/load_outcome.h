#pragma once

#include <QString>
#include <QtGlobal>

#include <exception>
#include <memory>
#include <vector>

class loader_progress;

// Outcome of a loader chain. ELS_READ_FAILED: the file could not be read at all (see reason).
enum load_status : qint32 {
    ELS_NONE = 0,
    ELS_SUCCESS = 1,
    ELS_WRONG_HEADER = 2,
    ELS_CANCELLED = 3,
    ELS_READ_FAILED = 4,
};

// What a loader chain Chain leaves behind, whatever it reads into Space, with Animal (an id and a
// Space) for each animal of a file of several. Chain runs in its constructor and takes a failure
// reason in the one inherited from here.
template <typename Chain, typename Space, typename Animal> struct load_outcome
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

    // Every animal's items, the first animal's first; takes them out of the outcome.
    std::vector<Animal> take_animals()
    {
        std::vector<Animal> animals;
        animals.push_back({first_animal, std::move(space)});
        for (Animal& more : more_animals)
            animals.push_back(std::move(more));
        more_animals.clear();
        return animals;
    }

    load_status status = ELS_NONE;
    std::unique_ptr<Space> space; // present only with ELS_SUCCESS
    QString reason;               // one line for the user with ELS_READ_FAILED
    qint64 skipped_lines = 0;     // lines the reader that read the file left out
    // With a file read by a named-column reader: space holds the first animal's items, first_animal
    // its identifier, and more_animals the others in the order of their first row. Empty for the
    // fixed layouts, which name no animal.
    QString first_animal;
    std::vector<Animal> more_animals;
};
