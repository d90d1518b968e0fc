#pragma once

#include <QByteArray>

#include <cstddef>
#include <vector>

// The columns of a header line whose names may be spelled with underscores ("eobs_start_timestamp"),
// a colon and hyphens ("eobs:start-timestamp") or dots ("eobs.start.timestamp"), quoted or not,
// in any order among other columns.
class named_columns
{
public:
    explicit named_columns(const char* begin, const char* end);

    // Position of the first column of that name (given in the underscore spelling); -1 if absent.
    int find(const char* name) const;
    // The first of the names present, or -1.
    int find_any(const char* name, const char* other) const;
    std::size_t size() const { return names_.size(); }

private:
    std::vector<QByteArray> names_; // lower case, ':', '-' and '.' written as '_'
};
