#pragma once

#include <cstdint>
#include <random>

namespace tramlet::simcard {

struct GpsFix {
    double latitude = 0;   // degrees north
    double longitude = 0;  // degrees east
    double speedKmh = 0;
    double headingDegrees = 0;  // clockwise from north
};

// A car driving through Seoul one second at a time: it speeds up and slows
// down within city limits, stops at lights now and then, turns at corners
// and heads back towards the centre when it strays too far.
class DriveSimulator {
  public:
    explicit DriveSimulator(std::uint32_t seed);

    // Moves on by one second and tells where the car is then.
    GpsFix Step();

  private:
    void ChooseSpeed();
    void ChooseHeading();
    void Move();

    std::mt19937 random_;
    GpsFix fix_;
    double targetSpeed_ = 0;
    double targetHeading_ = 0;
    int secondsToNextSpeed_ = 0;
};

}  // namespace tramlet::simcard
