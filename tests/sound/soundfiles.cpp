#include "soundfiles.h"

#include <QProcess>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace soundtest {

std::vector<std::int16_t> ToneSamples(const Tone& tone) {
  const double rate = 11025.0;
  const auto count = static_cast<std::size_t>(tone.Seconds * rate);
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i)
    samples[i] = static_cast<std::int16_t>(
        std::lround(32767.0 * tone.Amplitude * std::sin(2.0 * M_PI * tone.Frequency * static_cast<double>(i) / rate)));
  return samples;
}

namespace {

void Put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t Get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

bool WriteWav(const std::string& path, const std::vector<std::int16_t>& samples, std::uint32_t rate,
              std::uint16_t channels) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::string out = "RIFF";
  Put32(out, 36 + dataBytes);
  out += "WAVEfmt ";
  Put32(out, 16);
  Put16(out, 1);
  Put16(out, channels);
  Put32(out, rate);
  Put32(out, rate * channels * 2);
  Put16(out, static_cast<std::uint16_t>(channels * 2));
  Put16(out, 16);
  out += "data";
  Put32(out, dataBytes);
  for (std::int16_t sample : samples) Put16(out, static_cast<std::uint16_t>(sample));
  std::ofstream file(path, std::ios::binary);
  file.write(out.data(), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

std::string PackSounds(const TempDir& folder, const std::string& path, const std::vector<Tone>& tones) {
  std::string manifest = "{ \"lists\": [\n";
  for (std::size_t i = 0; i < tones.size(); ++i) {
    const std::string file = "tone" + std::to_string(i) + ".wav";
    if (!WriteWav(folder.File(file), ToneSamples(tones[i]), 11025, 1)) return "cannot write " + file;
    manifest += "  { \"kind\": \"sound\", \"id\": " + std::to_string(201 + i) + ", \"name\": \"" + tones[i].Name +
                "\", \"file\": \"" + file + "\" }" + (i + 1 < tones.size() ? ",\n" : "\n");
  }
  manifest += "] }\n";
  const std::string manifestPath = folder.File("manifest.json");
  std::ofstream(manifestPath) << manifest;

  // Sounds alone make no exhibition (no rooms, no works): the check after packing says so, and
  // --force keeps the file anyway.
  QProcess pack;
  pack.start(QString::fromLocal8Bit(PINACORA_DATA_TOOL),
             {"pack", QString::fromStdString(manifestPath), "-o", QString::fromStdString(path), "--quiet", "--force"});
  if (!pack.waitForFinished(30000)) return "pinacora-data pack did not finish";
  if (pack.exitStatus() != QProcess::NormalExit || pack.exitCode() != 0)
    return "pinacora-data pack failed: " + pack.readAllStandardError().toStdString();
  return std::string();
}

bool ReadWav(const std::string& path, WavData& wav, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    error = path + ": not a WAV file (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  std::uint16_t tag = 0, bits = 0;
  std::size_t pos = 12;
  while (pos + 8 <= bytes.size()) {
    const std::uint32_t size = Get32(&bytes[pos + 4]);
    const std::size_t body = pos + 8;
    // The writer may leave the sizes of a file it did not close at 0 or too large: take what is there.
    const std::size_t available = std::min<std::size_t>(size, bytes.size() - body);
    if (std::memcmp(&bytes[pos], "fmt ", 4) == 0 && available >= 16) {
      tag = Get16(&bytes[body]);
      wav.Channels = Get16(&bytes[body + 2]);
      wav.Rate = Get32(&bytes[body + 4]);
      bits = Get16(&bytes[body + 14]);
      if (tag == 0xFFFE && available >= 26) tag = Get16(&bytes[body + 24]);
    } else if (std::memcmp(&bytes[pos], "data", 4) == 0) {
      const std::size_t length = size == 0 ? bytes.size() - body : available;
      if (tag == 1 && bits == 16) {
        for (std::size_t i = 0; i + 1 < length; i += 2)
          wav.Samples.push_back(static_cast<std::int16_t>(Get16(&bytes[body + i])) / 32768.0f);
      } else if (tag == 3 && bits == 32) {
        for (std::size_t i = 0; i + 3 < length; i += 4) {
          const std::uint32_t raw = Get32(&bytes[body + i]);
          float value;
          std::memcpy(&value, &raw, 4);
          wav.Samples.push_back(value);
        }
      } else {
        error = path + ": unexpected sample format " + std::to_string(tag) + "/" + std::to_string(bits);
        return false;
      }
      return wav.Channels > 0 && wav.Rate > 0;
    }
    pos = body + size + (size & 1);
  }
  error = path + ": no data chunk";
  return false;
}

}  // namespace soundtest
