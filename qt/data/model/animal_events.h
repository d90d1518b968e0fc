#pragma once

#include "data/model/event_space.h"

#include <QString>

#include <memory>

// The GPS fixes of one animal of a file that holds several.
struct animal_events
{
    QString id; // individual identifier, else tag identifier; empty when the file names none
    std::unique_ptr<event_space> space;
};
