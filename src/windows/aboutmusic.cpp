#include "aboutmusic.h"

#include <algorithm>
#include <memory>

namespace {

// A bounded little-endian cursor over the wave's bytes.
class TWaveCursor {
 public:
  TWaveCursor(const char* data, std::size_t size) : Data(data), Size(size) {}

  std::size_t Remaining() const { return Size - Pos; }
  std::size_t Position() const { return Pos; }

  bool Skip(std::size_t count) {
    if (count > Remaining()) return false;
    Pos += count;
    return true;
  }
  bool ReadTag(char (&tag)[4]) {
    if (Remaining() < 4) return false;
    for (int i = 0; i < 4; ++i) tag[i] = Data[Pos + i];
    Pos += 4;
    return true;
  }
  bool ReadU16(std::uint16_t& value) {
    if (Remaining() < 2) return false;
    value = static_cast<std::uint16_t>(Byte(0) | (Byte(1) << 8));
    Pos += 2;
    return true;
  }
  bool ReadU32(std::uint32_t& value) {
    if (Remaining() < 4) return false;
    value = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (static_cast<std::uint32_t>(Byte(3)) << 24);
    Pos += 4;
    return true;
  }

 private:
  std::uint32_t Byte(std::size_t offset) const {
    return static_cast<unsigned char>(Data[Pos + offset]);
  }

  const char* Data;
  std::size_t Size;
  std::size_t Pos = 0;
};

bool SameTag(const char (&tag)[4], const char* expected) {
  return tag[0] == expected[0] && tag[1] == expected[1] && tag[2] == expected[2] &&
         tag[3] == expected[3];
}

constexpr std::uint16_t kWaveFormatPcm = 1;

bool ReadFormat(TWaveCursor cursor, std::uint32_t size, TWaveInfo& info) {
  if (size < 16) return false;
  std::uint16_t tag = 0;
  std::uint32_t bytesPerSec = 0;
  if (!cursor.ReadU16(tag) || !cursor.ReadU16(info.Channels) ||
      !cursor.ReadU32(info.SamplesPerSec) || !cursor.ReadU32(bytesPerSec) ||
      !cursor.ReadU16(info.BlockAlign) || !cursor.ReadU16(info.BitsPerSample))
    return false;
  if (tag != kWaveFormatPcm) return false;
  if (info.Channels != 1 && info.Channels != 2) return false;
  if (info.BitsPerSample != 8 && info.BitsPerSample != 16) return false;
  if (info.SamplesPerSec == 0) return false;
  return info.BlockAlign == info.Channels * (info.BitsPerSample / 8);
}

}  // namespace

bool ParseWave(const QByteArray& wav, TWaveInfo& info) {
  info = TWaveInfo();
  TWaveCursor cursor(wav.constData(), static_cast<std::size_t>(wav.size()));
  char tag[4];
  std::uint32_t riffSize = 0;
  if (!cursor.ReadTag(tag) || !SameTag(tag, "RIFF")) return false;
  if (!cursor.ReadU32(riffSize) || !cursor.ReadTag(tag) || !SameTag(tag, "WAVE")) return false;

  bool haveFormat = false;
  while (cursor.Remaining() >= 8) {
    std::uint32_t size = 0;
    cursor.ReadTag(tag);
    cursor.ReadU32(size);
    if (SameTag(tag, "fmt ")) {
      if (size > cursor.Remaining() || !ReadFormat(cursor, size, info)) return false;
      haveFormat = true;
    } else if (SameTag(tag, "data")) {
      if (!haveFormat) return false;
      const std::size_t present = std::min<std::size_t>(size, cursor.Remaining());
      info.DataSize = static_cast<std::uint32_t>(present - present % info.BlockAlign);
      info.Data = wav.constData() + cursor.Position();
      return info.DataSize > 0;
    }
    // Chunks are padded to an even length.
    const std::size_t padded = static_cast<std::size_t>(size) + (size & 1u);
    if (!cursor.Skip(std::min(padded, cursor.Remaining()))) return false;
  }
  return false;
}

TAboutMusic::TAboutMusic(SoundDeviceFactory factory) : Factory(std::move(factory)) {}

TAboutMusic::~TAboutMusic() { Stop(); }

bool TAboutMusic::Start(const QByteArray& wav) {
  Stop();
  Wave = wav;
  TWaveInfo info;
  if (!ParseWave(Wave, info)) {
    Stop();
    return false;
  }

  Manager = std::make_unique<CSoundManager>(Factory);
  if (FAILED(Manager->OpenDevice(nullptr, DSSCL_PRIORITY, nullptr))) {
    Stop();
    return false;
  }
  // The device mixes in the music's own format; a device that cannot still plays it.
  Manager->SetPrimaryFormat(info.Channels, info.SamplesPerSec, info.BitsPerSample);

  WAVEFORMATEX format;
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = info.Channels;
  format.nSamplesPerSec = info.SamplesPerSec;
  format.wBitsPerSample = info.BitsPerSample;
  format.nBlockAlign = info.BlockAlign;
  format.nAvgBytesPerSec = info.BlockAlign * info.SamplesPerSec;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(info.Data);
  if (FAILED(Manager->MakeSound(&Sound, bytes, info.DataSize, format, DSBCAPS_STATIC, GUID(), 1)) ||
      !Sound || FAILED(Sound->Play(0, 0, DSBVOLUME_MAX, -1, 0))) {
    Stop();
    return false;
  }
  return true;
}

void TAboutMusic::Stop() {
  if (Sound) Sound->Stop();
  Sound.reset();
  Manager.reset();
  Wave.clear();
}

bool TAboutMusic::IsPlaying() const {
  if (!Sound) return false;
  ISoundBuffer* buffer = Sound->BufferAt(0);
  std::uint32_t status = 0;
  if (buffer == nullptr || FAILED(buffer->GetStatus(&status))) return false;
  return (status & DSBSTATUS_PLAYING) != 0;
}
