#pragma once

#include <string>

// For conditions callers exclude beforehand (programming errors): writes the message and a
// line end to standard error and ends the process with exit status -1.
[[noreturn]] void fatal(const std::string& message);
