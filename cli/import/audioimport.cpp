#include "audioimport.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <samplerate.h>
#include <sndfile.h>

namespace {

constexpr sf_count_t kBlockFrames = 4096;
// An hour of sound is far more than a background piece; it also bounds memory.
constexpr double kMaxSeconds = 3600.0;

struct SndCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
struct SrcDeleter {
  void operator()(SRC_STATE* s) const { src_delete(s); }
};

void AppendSamples(const float* mono, std::size_t count, std::vector<std::uint8_t>& out) {
  for (std::size_t i = 0; i < count; ++i) {
    const float clipped = std::max(-1.0f, std::min(1.0f, mono[i]));
    const auto value = static_cast<std::int16_t>(std::lrint(clipped * 32767.0f));
    out.push_back(static_cast<std::uint8_t>(std::uint16_t(value) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(std::uint16_t(value) >> 8));
  }
}

}  // namespace

bool ImportSound(const std::string& path, std::vector<std::uint8_t>& samples, std::string& error) {
  samples.clear();
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndCloser> file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) {
    error = path + ": cannot read the sound (" + sf_strerror(nullptr) + "); sounds may be " + kSoundFormats;
    return false;
  }
  if (info.channels < 1 || info.samplerate < 1) {
    error = path + ": no channels or no sample rate";
    return false;
  }
  if (info.frames <= 0) {
    error = path + ": holds no sound";
    return false;
  }
  if (double(info.frames) / info.samplerate > kMaxSeconds) {
    error = path + ": longer than an hour";
    return false;
  }

  const bool resample = info.samplerate != kSoundRate;
  const double ratio = double(kSoundRate) / info.samplerate;
  std::unique_ptr<SRC_STATE, SrcDeleter> converter;
  if (resample) {
    int srcError = 0;
    converter.reset(src_new(SRC_SINC_MEDIUM_QUALITY, 1, &srcError));
    if (!converter) {
      error = path + ": " + src_strerror(srcError);
      return false;
    }
  }
  samples.reserve(std::size_t(double(info.frames) * ratio + 16) * 2);

  std::vector<float> frames(std::size_t(kBlockFrames) * std::size_t(info.channels));
  std::vector<float> mono(kBlockFrames);
  std::vector<float> converted(std::size_t(double(kBlockFrames) * ratio) + 64);
  bool last = false;
  while (!last) {
    const sf_count_t got = sf_readf_float(file.get(), frames.data(), kBlockFrames);
    if (got < 0) {
      error = path + ": " + sf_strerror(file.get());
      return false;
    }
    last = got < kBlockFrames;
    for (sf_count_t f = 0; f < got; ++f) {
      float sum = 0.0f;
      for (int c = 0; c < info.channels; ++c) sum += frames[std::size_t(f * info.channels + c)];
      mono[std::size_t(f)] = sum / float(info.channels);
    }
    if (!resample) {
      AppendSamples(mono.data(), std::size_t(got), samples);
      continue;
    }
    // Feed the block; at the end, keep asking until the converter has flushed its tail.
    SRC_DATA data{};
    data.data_in = mono.data();
    data.input_frames = long(got);
    data.src_ratio = ratio;
    data.end_of_input = last ? 1 : 0;
    do {
      data.data_out = converted.data();
      data.output_frames = long(converted.size());
      const int srcError = src_process(converter.get(), &data);
      if (srcError != 0) {
        error = path + ": " + src_strerror(srcError);
        return false;
      }
      AppendSamples(converted.data(), std::size_t(data.output_frames_gen), samples);
      if (data.input_frames_used == 0 && data.output_frames_gen == 0) break;  // nothing more to come
      data.data_in += data.input_frames_used;
      data.input_frames -= data.input_frames_used;
    } while (data.input_frames > 0 || (last && data.output_frames_gen > 0));
  }
  if (samples.empty()) {
    error = path + ": holds no sound";
    return false;
  }
  return true;
}

namespace {

// Writes the sample bytes in libsndfile's format; quality, when not negative, is its variable bit
// rate quality (0 smallest to 1); neverEmpty writes one silent sample for no samples.
bool WriteSoundFile(const std::string& path, const std::vector<std::uint8_t>& samples, int format, double quality,
                    bool neverEmpty, std::string& error) {
  SF_INFO info{};
  info.samplerate = kSoundRate;
  info.channels = 1;
  info.format = format;
  std::unique_ptr<SNDFILE, SndCloser> file(sf_open(path.c_str(), SFM_WRITE, &info));
  if (!file) {
    error = path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (quality >= 0) sf_command(file.get(), SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
  std::vector<short> values(samples.size() / 2);
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = static_cast<short>(std::uint16_t(samples[2 * i]) | (std::uint16_t(samples[2 * i + 1]) << 8));
  }
  if (values.empty() && neverEmpty) values.push_back(0);
  if (sf_write_short(file.get(), values.data(), sf_count_t(values.size())) != sf_count_t(values.size())) {
    error = path + ": " + sf_strerror(file.get());
    return false;
  }
  if (sf_close(file.release()) != 0) {
    error = path + ": could not finish the file";
    return false;
  }
  return true;
}

}  // namespace

bool WriteSoundWav(const std::string& path, const std::vector<std::uint8_t>& samples, std::string& error) {
  return WriteSoundFile(path, samples, SF_FORMAT_WAV | SF_FORMAT_PCM_16, -1, false, error);
}

bool WriteSoundOgg(const std::vector<std::uint8_t>& samples, const std::string& path, std::string& error) {
  // An empty Ogg stream is no file a browser opens: it gets one silent sample.
  return WriteSoundFile(path, samples, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.4, true, error);
}
