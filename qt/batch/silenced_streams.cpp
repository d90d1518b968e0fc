#include "batch/silenced_streams.h"

#include "data/io/trace.h"

silenced_streams::silenced_streams()
    : out_(trace::sink(trace::stream::out).rdbuf(sink_.rdbuf())),
      err_(trace::sink(trace::stream::err).rdbuf(sink_.rdbuf()))
{
}

silenced_streams::~silenced_streams()
{
    trace::sink(trace::stream::out).rdbuf(out_);
    trace::sink(trace::stream::err).rdbuf(err_);
}
