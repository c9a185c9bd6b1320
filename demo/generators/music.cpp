// Composes the demo exhibition's background music: three short pieces with melody, chords and
// bass, each note shaped by an envelope, and a little room reverberation.
// Usage: demo-music OUTPUT_FOLDER   (writes preludio.wav, pastorale.wav, notturno.wav)
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979;

struct Piece {
  const char* file;
  int tonic;               // MIDI note of the key's tonic
  bool minor;
  double tempo;            // beats per minute
  int bars;                // 4 beats each
  std::vector<int> chords; // scale degrees (0-based) of the bar chords, repeated
  unsigned seed;
  double brightness;       // how many harmonics the melody voice has
};

double Frequency(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

int ScaleNote(int tonic, bool minor, int degree) {
  static const int major[7] = {0, 2, 4, 5, 7, 9, 11};
  static const int minorScale[7] = {0, 2, 3, 5, 7, 8, 10};
  const int octave = degree >= 0 ? degree / 7 : -((6 - degree) / 7);
  const int step = degree - octave * 7;
  return tonic + 12 * octave + (minor ? minorScale[step] : major[step]);
}

// A plucked or struck voice: a few harmonics dying away at different speeds.
void Pluck(std::vector<float>& left, std::vector<float>& right, double start, double length, int midi, double gain,
           double brightness, double pan) {
  const double f = Frequency(midi);
  const std::size_t first = std::size_t(start * kRate);
  const std::size_t count = std::size_t((length + 1.2) * kRate);
  for (std::size_t i = 0; i < count && first + i < left.size(); ++i) {
    const double t = double(i) / kRate;
    const double attack = std::min(1.0, t / 0.008);
    const double release = t > length ? std::exp(-(t - length) * 6.0) : 1.0;
    double v = 0;
    for (int h = 1; h <= 6; ++h) {
      const double amp = std::pow(brightness, h - 1) / h;
      v += amp * std::sin(2 * kPi * f * h * t) * std::exp(-t * (1.2 + 0.9 * h));
    }
    const float s = float(v * gain * attack * release);
    left[first + i] += s * float(1.0 - pan);
    right[first + i] += s * float(pan);
  }
}

// A soft held voice for the chords: slow attack, gentle vibrato, slow release.
void Pad(std::vector<float>& left, std::vector<float>& right, double start, double length, int midi, double gain) {
  const double f = Frequency(midi);
  const std::size_t first = std::size_t(start * kRate);
  const std::size_t count = std::size_t((length + 0.8) * kRate);
  for (std::size_t i = 0; i < count && first + i < left.size(); ++i) {
    const double t = double(i) / kRate;
    const double env = std::min(1.0, t / 0.35) * (t > length ? std::exp(-(t - length) * 5.0) : 1.0);
    const double vib = 1.0 + 0.003 * std::sin(2 * kPi * 5.0 * t);
    const double v = std::sin(2 * kPi * f * vib * t) + 0.3 * std::sin(4 * kPi * f * vib * t);
    const float s = float(v * gain * env);
    left[first + i] += s;
    right[first + i] += s;
  }
}

// Room reverberation: a few feedback delays per channel, mixed in quietly.
void Reverb(std::vector<float>& channel, const int* delays, double mix) {
  std::vector<float> wet(channel.size(), 0.0f);
  for (int d = 0; d < 4; ++d) {
    std::vector<float> line(channel.size(), 0.0f);
    const std::size_t delay = std::size_t(delays[d]);
    for (std::size_t i = 0; i < channel.size(); ++i) {
      const float back = i >= delay ? line[i - delay] : 0.0f;
      line[i] = channel[i] + 0.72f * back;
      wet[i] += back * 0.25f;
    }
  }
  for (std::size_t i = 0; i < channel.size(); ++i) channel[i] += float(mix) * wet[i];
}

bool Compose(const Piece& piece, const std::string& folder) {
  const double beat = 60.0 / piece.tempo;
  const double seconds = piece.bars * 4 * beat + 2.5;
  std::vector<float> left(std::size_t(seconds * kRate), 0.0f), right(left.size(), 0.0f);
  std::mt19937 rng(piece.seed);
  int degree = 7;  // the melody starts on the tonic an octave up
  for (int bar = 0; bar < piece.bars; ++bar) {
    const int chord = piece.chords[std::size_t(bar) % piece.chords.size()];
    const double barStart = bar * 4 * beat;
    const bool last = bar == piece.bars - 1;
    // Chord (root, third, fifth) and bass.
    for (int k = 0; k < 3; ++k) Pad(left, right, barStart, 4 * beat, ScaleNote(piece.tonic, piece.minor, chord + 2 * k), 0.05);
    Pluck(left, right, barStart, 2 * beat, ScaleNote(piece.tonic - 12, piece.minor, chord), 0.22, 0.3, 0.45);
    Pluck(left, right, barStart + 2 * beat, 2 * beat, ScaleNote(piece.tonic - 12, piece.minor, chord + 4), 0.18, 0.3, 0.45);
    if (last) {  // end on the tonic, held
      Pluck(left, right, barStart, 4 * beat, ScaleNote(piece.tonic, piece.minor, 7), 0.3, piece.brightness, 0.6);
      break;
    }
    // Melody: a walk through the scale that favours steps and the notes of the chord.
    double t = 0;
    while (t < 4 - 1e-9) {
      const double lengths[4] = {0.5, 1.0, 1.0, 1.5};
      double len = lengths[rng() % 4];
      if (t + len > 4) len = 4 - t;
      const int steps[7] = {-2, -1, -1, 0, 1, 1, 2};
      degree += steps[rng() % 7];
      if (t == 0) {  // the first note of a bar leans on the chord
        const int rel = ((degree - chord) % 7 + 7) % 7;
        if (rel != 0 && rel != 2 && rel != 4) degree += rel == 1 || rel == 3 ? -1 : 1;
      }
      degree = std::clamp(degree, 4, 13);
      if (rng() % 8 != 0) {  // now and then a rest
        Pluck(left, right, barStart + t * beat, len * beat * 0.95, ScaleNote(piece.tonic, piece.minor, degree), 0.28,
              piece.brightness, 0.6);
      }
      t += len;
    }
  }
  const int leftDelays[4] = {1117, 1289, 1433, 1601}, rightDelays[4] = {1153, 1327, 1481, 1657};
  Reverb(left, leftDelays, 0.35);
  Reverb(right, rightDelays, 0.35);
  float peak = 1e-6f;
  for (std::size_t i = 0; i < left.size(); ++i) peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
  const float scale = 0.85f / peak;
  std::vector<float> frames(left.size() * 2);
  const std::size_t fade = std::size_t(1.5 * kRate);
  for (std::size_t i = 0; i < left.size(); ++i) {
    const float out = i + fade > left.size() ? float(left.size() - i) / float(fade) : 1.0f;
    frames[2 * i] = left[i] * scale * out;
    frames[2 * i + 1] = right[i] * scale * out;
  }
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  const std::string path = folder + "/" + piece.file;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    std::fprintf(stderr, "demo-music: %s: %s\n", path.c_str(), sf_strerror(nullptr));
    return false;
  }
  const bool ok = sf_writef_float(file, frames.data(), sf_count_t(left.size())) == sf_count_t(left.size());
  sf_close(file);
  if (!ok) std::fprintf(stderr, "demo-music: %s: cannot write\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: demo-music OUTPUT_FOLDER\n");
    return 2;
  }
  const Piece pieces[] = {
      {"preludio.wav", 67, false, 84, 12, {0, 5, 3, 4}, 11, 0.55},   // G major, I vi IV V
      {"pastorale.wav", 65, false, 100, 14, {0, 3, 4, 0, 5, 1, 4, 0}, 23, 0.45},  // F major, in a lilt
      {"notturno.wav", 69, true, 66, 9, {0, 5, 3, 4}, 37, 0.35},     // A minor, slow
  };
  bool ok = true;
  for (const Piece& piece : pieces) ok = Compose(piece, argv[1]) && ok;
  return ok ? 0 : 1;
}
