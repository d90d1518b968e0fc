#pragma once

#include "data/model/burst_space.h"

#include <QString>

#include <memory>

// The bursts of one animal of a file that holds several.
struct animal_bursts
{
    QString id; // individual identifier, else tag identifier; empty when the file names none
    std::unique_ptr<burst_space> space;
};
