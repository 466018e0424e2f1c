#include "drive_simulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tramlet::simcard {
namespace {

constexpr double kCentreLatitude = 37.5665;  // Seoul City Hall
constexpr double kCentreLongitude = 126.9780;
constexpr double kMaxDistanceDegrees = 0.12;
constexpr double kMetresPerDegree = 111'320.0;
constexpr double kAccelerationKmhPerSecond = 7.0;
constexpr double kBrakingKmhPerSecond = 10.0;
constexpr double kTurnDegreesPerSecond = 18.0;

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

double Wrap(double degrees) {
    degrees = std::fmod(degrees, 360.0);
    return degrees < 0 ? degrees + 360.0 : degrees;
}

// The signed turn from one heading to another, -180..180.
double TurnBetween(double from, double to) {
    return Wrap(to - from + 180.0) - 180.0;
}

}  // namespace

DriveSimulator::DriveSimulator(std::uint32_t seed) : random_(seed) {
    std::uniform_real_distribution<double> offset(-0.03, 0.03);
    std::uniform_real_distribution<double> heading(0.0, 360.0);
    fix_.latitude = kCentreLatitude + offset(random_);
    fix_.longitude = kCentreLongitude + offset(random_);
    fix_.headingDegrees = heading(random_);
    targetHeading_ = fix_.headingDegrees;
    // A drive starts by pulling away, not at a red light.
    targetSpeed_ = std::uniform_real_distribution<double>(25.0, 70.0)(random_);
    secondsToNextSpeed_ = std::uniform_int_distribution<int>(8, 40)(random_);
}

GpsFix DriveSimulator::Step() {
    ChooseSpeed();
    ChooseHeading();
    Move();
    return fix_;
}

void DriveSimulator::ChooseSpeed() {
    if (--secondsToNextSpeed_ <= 0) {
        const bool redLight = std::uniform_int_distribution<int>(0, 3)(random_) == 0;
        targetSpeed_ = redLight ? 0.0 : std::uniform_real_distribution<double>(25.0, 70.0)(random_);
        secondsToNextSpeed_ = std::uniform_int_distribution<int>(8, 40)(random_);
    }
    const double change =
        std::clamp(targetSpeed_ - fix_.speedKmh, -kBrakingKmhPerSecond, kAccelerationKmhPerSecond);
    fix_.speedKmh = std::max(0.0, fix_.speedKmh + change);
}

void DriveSimulator::ChooseHeading() {
    const double north = fix_.latitude - kCentreLatitude;
    const double east = (fix_.longitude - kCentreLongitude) * std::cos(Radians(kCentreLatitude));
    if (std::hypot(north, east) > kMaxDistanceDegrees) {
        targetHeading_ = Wrap(std::atan2(-east, -north) * 180.0 / std::numbers::pi);
    } else if (fix_.speedKmh > 10 && std::uniform_int_distribution<int>(0, 59)(random_) == 0) {
        targetHeading_ =
            Wrap(targetHeading_ + (std::bernoulli_distribution(0.5)(random_) ? 90 : -90));
    }
    if (fix_.speedKmh < 1)
        return;  // a standing car does not turn
    const double turn = std::clamp(TurnBetween(fix_.headingDegrees, targetHeading_),
                                   -kTurnDegreesPerSecond, kTurnDegreesPerSecond);
    const double wobble = std::uniform_real_distribution<double>(-1.0, 1.0)(random_);
    fix_.headingDegrees = Wrap(fix_.headingDegrees + turn + wobble);
}

void DriveSimulator::Move() {
    const double metres = fix_.speedKmh / 3.6;
    const double heading = Radians(fix_.headingDegrees);
    fix_.latitude += metres * std::cos(heading) / kMetresPerDegree;
    fix_.longitude +=
        metres * std::sin(heading) / (kMetresPerDegree * std::cos(Radians(fix_.latitude)));
}

}  // namespace tramlet::simcard
