#include "playback/volume_curve.h"

#include <algorithm>
#include <cmath>

#include "playback/player.h"

namespace tramlet {

double MpvVolumeFromHundredths(int hundredthsOfDecibel) {
    // -100 dB on the cubic curve is still a volume of about 2: the bottom of
    // the range has to mean silence as the slider promises.
    if (hundredthsOfDecibel <= kSilentVolume)
        return 0.0;
    const int clamped = std::min(hundredthsOfDecibel, kFullVolume);
    return 100.0 * std::pow(10.0, clamped / 6000.0);
}

int HundredthsFromMpvVolume(double mpvVolume) {
    if (mpvVolume <= 0.0)
        return kSilentVolume;
    const double hundredths = std::round(6000.0 * std::log10(mpvVolume / 100.0));
    return static_cast<int>(std::clamp(hundredths, double{kSilentVolume}, double{kFullVolume}));
}

}  // namespace tramlet
