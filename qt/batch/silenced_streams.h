#pragma once

#include "data/io/trace.h"

#include <sstream>

// The readers' and the chain's trace lines are for the interactive program; the batch command's
// own lines are the only ones its caller sees.
class silenced_streams
{
public:
    silenced_streams()
        : out_(trace::sink(trace::stream::out).rdbuf(sink_.rdbuf())),
          err_(trace::sink(trace::stream::err).rdbuf(sink_.rdbuf()))
    {
    }
    ~silenced_streams()
    {
        trace::sink(trace::stream::out).rdbuf(out_);
        trace::sink(trace::stream::err).rdbuf(err_);
    }
    silenced_streams(const silenced_streams&) = delete;
    silenced_streams& operator=(const silenced_streams&) = delete;

private:
    std::ostringstream sink_;
    std::streambuf* out_;
    std::streambuf* err_;
};
