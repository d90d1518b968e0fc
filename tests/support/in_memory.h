#pragma once
// Bytes a reader reads as it reads a file's, with no file written: a reader test's input.
#include "data/io/byte_input.h"

namespace test_support {

inline byte_input in_memory(const QByteArray& bytes, const QString& name = QStringLiteral("memory.csv"))
{
    return byte_input(name, bytes);
}

} // namespace test_support
