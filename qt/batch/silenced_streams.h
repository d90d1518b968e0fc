#pragma once

#include <sstream>
#include <streambuf>

// The readers' and the chain's trace lines are for the interactive program; while one of these
// lives, a batch command's own lines are the only ones its caller sees.
class silenced_streams
{
public:
    silenced_streams();
    ~silenced_streams();
    silenced_streams(const silenced_streams&) = delete;
    silenced_streams& operator=(const silenced_streams&) = delete;

private:
    std::ostringstream sink_;
    std::streambuf* out_;
    std::streambuf* err_;
};
