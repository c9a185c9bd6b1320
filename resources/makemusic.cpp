// Writes the about box's music: a short, quiet piece in C major for bass, harp-like arpeggios
// and a bell melody, as a 16-bit mono PCM WAVE file. Usage: makemusic OUTPUT.wav
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kBeat = 60.0 / 96.0;  // seconds per beat
constexpr double kPi = 3.14159265358979323846;

double Frequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

// Adds one note to the mix: a few harmonics under an exponential decay with a short attack.
void AddNote(std::vector<double>& mix, double start, double length, int midiNote, double level,
             double decay, const std::vector<double>& harmonics) {
  const double f = Frequency(midiNote);
  const auto first = static_cast<std::size_t>(start * kRate);
  const auto count = static_cast<std::size_t>((length + 1.5) * kRate);
  for (std::size_t i = 0; i < count && first + i < mix.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double attack = std::min(1.0, t / 0.01);
    // Past its written length a note dies away quickly, so notes never pile up.
    const double release = t > length ? std::exp(-(t - length) * 6.0) : 1.0;
    const double envelope = attack * release * std::exp(-t * decay);
    double sample = 0.0;
    for (std::size_t h = 0; h < harmonics.size(); ++h)
      sample += harmonics[h] * std::sin(2.0 * kPi * f * static_cast<double>(h + 1) * t);
    mix[first + i] += level * envelope * sample;
  }
}

struct Chord {
  int root;  // bass note
  int notes[3];
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: makemusic OUTPUT.wav\n");
    return 2;
  }

  // C - Am - F - G, then C - Em - F - G - C to close.
  const Chord progression[] = {
      {48, {60, 64, 67}}, {45, {57, 60, 64}}, {41, {57, 60, 65}}, {43, {55, 59, 62}},
      {48, {60, 64, 67}}, {52, {59, 64, 67}}, {41, {57, 60, 65}}, {43, {55, 59, 62}},
  };
  // One melody note per beat (0 = rest), eight bars of four beats.
  const int melody[] = {
      76, 74, 72, 74, 76, 0,  72, 0,  77, 76, 74, 72, 74, 0,  71, 0,
      76, 79, 77, 76, 74, 0,  71, 0,  72, 74, 77, 76, 74, 72, 71, 74,
  };
  const std::vector<double> bass = {1.0, 0.35, 0.1};
  const std::vector<double> harp = {1.0, 0.5, 0.25, 0.12};
  const std::vector<double> bell = {1.0, 0.0, 0.3, 0.0, 0.12};

  // Four bars of accompaniment alone, then the eight-bar tune over it.
  constexpr int kIntroBars = 4;
  constexpr int kTuneBars = 8;
  constexpr int kBars = kIntroBars + kTuneBars;
  const double total = kBars * 4 * kBeat + 3 * kBeat + 2.0;
  std::vector<double> mix(static_cast<std::size_t>(total * kRate), 0.0);

  for (int bar = 0; bar < kBars; ++bar) {
    const int tuneBar = bar - kIntroBars;
    const Chord& chord = progression[tuneBar < 0 ? bar : tuneBar];
    const double barStart = bar * 4 * kBeat;
    AddNote(mix, barStart, 4 * kBeat, chord.root, 0.30, 0.6, bass);
    // Arpeggio in eighths: up and down the chord, an octave above on the way.
    const int pattern[] = {0, 1, 2, 1, 0, 1, 2, 1};
    for (int step = 0; step < 8; ++step) {
      const int note = chord.notes[pattern[step]] + (step == 2 || step == 6 ? 12 : 0);
      AddNote(mix, barStart + step * kBeat / 2, kBeat / 2, note, 0.12, 2.5, harp);
    }
    if (tuneBar >= 0) {
      for (int beat = 0; beat < 4; ++beat) {
        const int note = melody[tuneBar * 4 + beat];
        if (note != 0) AddNote(mix, barStart + beat * kBeat, kBeat, note, 0.16, 1.8, bell);
      }
    }
  }
  // Closing chord.
  const double end = kBars * 4 * kBeat;
  AddNote(mix, end, 3 * kBeat, 36, 0.30, 0.5, bass);
  const int closing[] = {60, 64, 67};
  for (int i = 0; i < 3; ++i) AddNote(mix, end + i * 0.08, 3 * kBeat, closing[i], 0.12, 0.9, harp);
  AddNote(mix, end, 3 * kBeat, 84, 0.12, 1.0, bell);

  // Fade out the last two seconds and keep well below full scale.
  double peak = 0.0;
  for (double s : mix) peak = std::max(peak, std::abs(s));
  const double gain = peak > 0.0 ? 0.7 / peak : 1.0;
  std::vector<short> samples(mix.size());
  const std::size_t fade = 2 * kRate;
  for (std::size_t i = 0; i < mix.size(); ++i) {
    double s = mix[i] * gain;
    if (i + fade > mix.size()) s *= static_cast<double>(mix.size() - i) / fade;
    samples[i] = static_cast<short>(std::lround(std::clamp(s, -1.0, 1.0) * 32767.0));
  }

  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
  if (file == nullptr) {
    std::fprintf(stderr, "makemusic: cannot write %s: %s\n", argv[1], sf_strerror(nullptr));
    return 1;
  }
  const auto count = static_cast<sf_count_t>(samples.size());
  const sf_count_t written = sf_write_short(file, samples.data(), count);
  sf_close(file);
  if (written != count) {
    std::fprintf(stderr, "makemusic: short write to %s\n", argv[1]);
    return 1;
  }
  return 0;
}
