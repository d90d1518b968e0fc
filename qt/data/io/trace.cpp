#include "data/io/trace.h"

#include <iostream>

Q_LOGGING_CATEGORY(dornvale_log, "dornvale")

std::ostream& trace::sink(stream s)
{
    return s == stream::out ? std::cout : std::cerr;
}

void trace::block(stream s, const std::string& lines)
{
    sink(s) << lines;
}

void trace::flush(stream s)
{
    sink(s).flush();
}
