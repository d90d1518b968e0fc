#include "data/fatal.h"

#include "data/trace.h"

#include <cstdlib>

void fatal(const std::string& message)
{
    trace::err(message);
    std::exit(-1);
}
