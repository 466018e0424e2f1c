#include "library/search_box.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tramlet::library {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

}  // namespace

double GreatCircleMetres(double latitude1, double longitude1, double latitude2, double longitude2) {
    const double dLat = (latitude2 - latitude1) * kDegree;
    const double dLon = (longitude2 - longitude1) * kDegree;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(latitude1 * kDegree) * std::cos(latitude2 * kDegree) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(a)));
}

SearchBox BoxAround(double latitude, double longitude, double metres) {
    const double angle = metres / kEarthRadiusMetres;  // radians of arc
    SearchBox box;
    box.south = latitude - angle / kDegree;
    box.north = latitude + angle / kDegree;
    // The widest longitude a point within the circle can have.
    const double spread = std::sin(angle) / std::cos(latitude * kDegree);
    if (box.south <= -90 || box.north >= 90 || angle >= std::numbers::pi / 2 || spread >= 1) {
        box.south = std::max(box.south, -90.0);
        box.north = std::min(box.north, 90.0);
        box.longitudes = {{-180, 180}};
        return box;
    }
    const double half = std::asin(spread) / kDegree;
    const double west = longitude - half;
    const double east = longitude + half;
    if (west < -180)
        box.longitudes = {{west + 360, 180}, {-180, east}};
    else if (east > 180)
        box.longitudes = {{west, 180}, {-180, east - 360}};
    else
        box.longitudes = {{west, east}};
    return box;
}

}  // namespace tramlet::library
