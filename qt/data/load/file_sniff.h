#pragma once

#include "data/formats/header_sniff.h"
#include "data/load/zip_package.h"

#include <QString>

#include <functional>

// One look at a file before it is opened, handed on to whatever opens it: its first line (which
// readers accept it) and, for a zip archive, its data entries and their pair.
struct file_sniff
{
    // logged: the header check is written to the log, as opening by kind does. step: as for
    // zip_package, called while a package's entries are sorted out (package.cancelled when it stopped).
    static file_sniff of(const QString& path, bool logged, const std::function<bool(int, int)>& step = {});

    QString path;
    zip_package package;
    header_sniff header; // not read for a package that pairs two of its entries: it opens as that pair

    // Whether the archive holds an acceleration and GPS pair among several entries.
    bool package_pair() const
    {
        return package.several() && !package.acc.isEmpty() && !package.gps.isEmpty();
    }
};
