#include "sounddevice.h"

#include <cmath>

float VolumeToGain(std::int32_t volume) {
  if (volume <= DSBVOLUME_MIN) return 0.0f;
  if (volume >= DSBVOLUME_MAX) return 1.0f;
  return static_cast<float>(std::pow(10.0, volume / 2000.0));
}
