#pragma once

#include "data/formats/header_sniff.h"

#include <QString>

// Why no reader of a kind accepts a file, as words that follow the file's name in a message:
// "is empty", "is a GPS export, not an acceleration export", or the needed columns a download lacks.
class eobs_file_refusal
{
public:
    // Empty when nothing more precise can be said than that the file is in no known layout.
    static QString reason(const QString& file_name, header_sniff::kind wanted);
};
