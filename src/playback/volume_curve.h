#pragma once

namespace tramlet {

// mpv's volume is a percentage on a cubic curve: the gain is (v / 100)^3, so
// a volume v is 60 * log10(v / 100) decibels. The program speaks in
// hundredths of a decibel, -10000 (silent) to 0 (full).
double MpvVolumeFromHundredths(int hundredthsOfDecibel);
int HundredthsFromMpvVolume(double mpvVolume);

}  // namespace tramlet
