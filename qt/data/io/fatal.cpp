#include "data/io/fatal.h"

#include "data/io/trace.h"

#include <cstdlib>

void fatal(const std::string& message)
{
    trace::err(message);
    std::exit(-1);
}
