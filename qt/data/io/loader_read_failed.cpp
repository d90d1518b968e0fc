#include "data/io/loader_read_failed.h"

loader_read_failed::loader_read_failed(const QString& reason) : reason_(reason), what_(reason.toUtf8()) {}

loader_read_failed::~loader_read_failed() = default;

const char* loader_read_failed::what() const noexcept
{
    return what_.constData();
}
