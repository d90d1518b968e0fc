#include "data/fatal.h"

#include <cstdlib>
#include <iostream>

void fatal(const std::string& message)
{
    std::cerr << message << std::endl;
    std::exit(-1);
}
