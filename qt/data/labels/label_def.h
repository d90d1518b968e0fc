#pragma once

#include <QString>
#include <QtGlobal>

// One label of the set: its name, its colour (0xRRGGBB) and the key 1-9 that gives it (0: none).
struct label_def
{
    QString name;
    quint32 rgb = 0x808080;
    int key = 0;

    bool operator==(const label_def& o) const { return name == o.name && rgb == o.rgb && key == o.key; }
};
