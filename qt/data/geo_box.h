#pragma once

// Bounding box of GPS fixes; an empty set gives minima above maxima.
struct geo_box
{
    double min_longitude;
    double min_latitude;
    double max_longitude;
    double max_latitude;
};
