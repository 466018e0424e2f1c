#pragma once

#include <vector>

namespace tramlet::library {

// The mean earth radius of the sphere that distances are measured on: the
// one PostGIS uses for geography without the spheroid, so that both indexes
// find the same fixes.
constexpr double kEarthRadiusMetres = 6371008.7714;

double GreatCircleMetres(double latitude1, double longitude1, double latitude2, double longitude2);

struct LongitudeRange {
    double west = 0;
    double east = 0;
};

// The latitudes and longitudes that hold every point within `metres` of a
// point: one longitude range, or two where the circle crosses the 180th
// meridian, or all of them where it reaches a pole.
struct SearchBox {
    double south = 0;
    double north = 0;
    std::vector<LongitudeRange> longitudes;
};

SearchBox BoxAround(double latitude, double longitude, double metres);

}  // namespace tramlet::library
