// The about box's music: one in-memory RIFF WAVE, played once in the background.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>

#include "sound/csoundmanager.h"

// The PCM samples of a RIFF WAVE file, as found by ParseWave. Data points into the parsed bytes.
struct TWaveInfo {
  std::uint16_t Channels = 0;
  std::uint32_t SamplesPerSec = 0;
  std::uint16_t BitsPerSample = 0;
  std::uint16_t BlockAlign = 0;
  const char* Data = nullptr;
  std::uint32_t DataSize = 0;
};

// Reads the header of a RIFF WAVE file held in memory. Accepts plain PCM, 8 or 16 bits, mono or
// stereo (what the sound device plays). A data chunk that claims more bytes than there are is cut
// to the whole sample frames present. Answers false for anything else.
bool ParseWave(const QByteArray& wav, TWaveInfo& info);

// Plays a wave once, asynchronously, through the sound engine on a device of its own. Without a
// sound device it stays silent and reports nothing.
class TAboutMusic {
 public:
  // Without a factory the engine's OpenAL device is used.
  explicit TAboutMusic(SoundDeviceFactory factory = {});
  ~TAboutMusic();
  TAboutMusic(const TAboutMusic&) = delete;
  TAboutMusic& operator=(const TAboutMusic&) = delete;

  // Stops what was playing and starts wav from its beginning. False when nothing plays (no
  // device, or bytes that are not a playable wave).
  bool Start(const QByteArray& wav);
  // Stops at once and lets go of the device.
  void Stop();
  // True while the wave is still sounding.
  bool IsPlaying() const;
  // The device that the next Start opens (an empty factory: the engine's OpenAL device).
  void SetDeviceFactory(SoundDeviceFactory factory) { Factory = std::move(factory); }

 private:
  SoundDeviceFactory Factory;
  // The sound plays from these bytes, so they live as long as it does.
  QByteArray Wave;
  std::unique_ptr<CSoundManager> Manager;
  std::unique_ptr<CSound> Sound;
};
