#pragma once

#include "data/io/trace.h"

#include <QtGlobal>

#include <string>

// The "skip line ..." messages of one read: the first 1,000 are written as they are, gathered and
// written in blocks rather than flushed one by one; past that only a count is kept, and finish()
// (or the destructor, when a read ends by an exception) adds one line with the total.
class skipped_lines_log
{
public:
    static constexpr qint64 listed = 1000;

    explicit skipped_lines_log(trace::stream out) : out_(out) {}
    ~skipped_lines_log();

    skipped_lines_log(const skipped_lines_log&) = delete;
    skipped_lines_log& operator=(const skipped_lines_log&) = delete;

    // Counts one skipped line; true while its message is still to be written with add().
    bool count();
    void add(const std::string& text);
    void finish();

    // Lines counted so far.
    qint64 skipped() const { return skipped_; }

private:
    trace::stream out_;
    std::string pending_;
    qint64 skipped_ = 0;
    bool finished_ = false;
};
