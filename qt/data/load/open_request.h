#pragma once

#include <QStringList>

// What the user asked to open, by a button, the command line, a drop or the recent files: the files,
// and what they are meant to be.
struct open_request
{
    enum intent {
        acceleration, // one acceleration file, alone
        pair,         // an acceleration and GPS pair, from either file or a package holding both
        gps,          // one GPS file, alone
        whatever,     // each file as its first line says
    };

    QStringList files;
    intent want = whatever;
};
