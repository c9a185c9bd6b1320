// The playlist on the real OpenAL device, listened to through OpenAL's wave-file writer: the
// device renders in real time into a WAV file that the test then reads.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "sound/csoundmanager.h"
#include "common/globals.h"
#include "soundfiles.h"
#include "data/tdatabanker.h"
#include "sound/tformplaylist.h"

namespace {

constexpr std::uint32_t kOutputRate = 22050;
soundtest::TempDir* Folder = nullptr;

std::string OutputPath() { return Folder->File("out.wav"); }

// RMS of samples [from, from + count).
double Rms(const std::vector<float>& samples, std::size_t from, std::size_t count) {
  double sum = 0;
  std::size_t n = 0;
  for (std::size_t i = from; i < from + count && i < samples.size(); ++i, ++n) sum += samples[i] * samples[i];
  return n == 0 ? 0.0 : std::sqrt(sum / n);
}

// Frequency from the rising zero crossings in [from, from + count).
double Frequency(const std::vector<float>& samples, std::size_t from, std::size_t count) {
  int crossings = 0;
  for (std::size_t i = from + 1; i < from + count && i < samples.size(); ++i)
    if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
  return crossings * static_cast<double>(kOutputRate) / count;
}

std::size_t FirstSound(const std::vector<float>& samples, std::size_t from) {
  while (from < samples.size() && std::fabs(samples[from]) < 1e-7f) ++from;
  return from;
}

// The first sample of a run of at least gap silent samples, from `from` on.
std::size_t NextSilence(const std::vector<float>& samples, std::size_t from, std::size_t gap) {
  std::size_t run = 0;
  for (std::size_t i = from; i < samples.size(); ++i) {
    run = std::fabs(samples[i]) < 1e-7f ? run + 1 : 0;
    if (run == gap) return i + 1 - gap;
  }
  return samples.size();
}

TEST(OpenALPlaylist, PlaysTheFirstSoundWithAFadeInThenTheNextCheckedOne) {
  const std::string data = Folder->File("kddata.bin");
  ASSERT_EQ(soundtest::PackSounds(*Folder, data, {{"Uno", 440, 0.6, 0.5}, {"Due", 880, 0.6, 0.5}}), "");

  {
    TDataBanker banker(data);
    TFormPlaylist form(&banker);
    ASSERT_NE(form.GetCurrentSound(), nullptr) << "OpenAL's wave writer did not open";
    form.SelectAll();
    form.PlayNext();
    // The timers are real here: the fade runs every 10 ms and the next sound comes on the
    // second's tick after the first one ends.
    // Listen until the second sound has played for half a second (4 s at most).
    QElapsedTimer clock;
    clock.start();
    qint64 secondStarted = -1;
    while (clock.elapsed() < 4000 && (secondStarted < 0 || clock.elapsed() - secondStarted < 500)) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      QThread::msleep(2);
      if (secondStarted < 0 && form.GetCurrentIndex() == 1) secondStarted = clock.elapsed();
    }
    EXPECT_EQ(form.GetCurrentIndex(), 1);
  }  // closing the device finishes the file

  soundtest::WavData wav;
  std::string error;
  ASSERT_TRUE(soundtest::ReadWav(OutputPath(), wav, error)) << error;
  ASSERT_EQ(wav.Channels, 1);
  ASSERT_EQ(wav.Rate, kOutputRate);
  const std::vector<float>& s = wav.Samples;
  const std::size_t ms = kOutputRate / 1000;

  // The first sound: it begins near silence and reaches its full level about 130 ms later.
  const std::size_t first = FirstSound(s, 0);
  ASSERT_LT(first + 500 * ms, s.size()) << "nothing was played";
  const double full = Rms(s, first + 300 * ms, 100 * ms);
  EXPECT_GT(full, 0.2);
  EXPECT_LT(Rms(s, first, 10 * ms), 0.02 * full);
  std::size_t reached = first;
  while (reached < first + 500 * ms && Rms(s, reached, 10 * ms) < 0.9 * full) reached += ms;
  const double rampMs = static_cast<double>(reached - first) / ms;
  std::printf("fade-in: %.0f ms to 90%% of the full level (RMS %.3f)\n", rampMs, full);
  EXPECT_GT(rampMs, 60.0);
  EXPECT_LT(rampMs, 600.0);
  EXPECT_NEAR(Frequency(s, first + 300 * ms, 200 * ms), 440.0, 20.0);

  // It ends after its 0.6 s; the second sound follows, from silence again.
  const std::size_t end = NextSilence(s, first, 50 * ms);
  EXPECT_NEAR(static_cast<double>(end - first) / ms, 600.0, 60.0);
  std::printf("first sound %.0f ms, then %.0f ms of silence before the second\n",
              static_cast<double>(end - first) / ms, static_cast<double>(FirstSound(s, end) - end) / ms);
  const std::size_t second = FirstSound(s, end);
  ASSERT_LT(second + 400 * ms, s.size()) << "the second sound did not follow";
  EXPECT_LT(Rms(s, second, 10 * ms), 0.02 * full);
  EXPECT_NEAR(Rms(s, second + 250 * ms, 100 * ms), full, 0.1 * full);
  EXPECT_NEAR(Frequency(s, second + 250 * ms, 100 * ms), 880.0, 40.0);
}


TEST(OpenALDevice, BuffersPlayStopAndEndAsTheEngineExpects) {
  CSoundManager manager;
  ASSERT_EQ(manager.OpenDevice(nullptr, DSSCL_PRIORITY, nullptr), S_OK);
  EXPECT_EQ(manager.SetPrimaryFormat(1, 11025, 16), S_OK);

  // 0.1 s of 16-bit samples and one odd byte, in three buffers.
  std::vector<std::uint8_t> bytes(2 * 1102 + 1, 0);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) bytes[i + 1] = (i / 50) % 2 ? 0x20 : 0xE0;
  const WAVEFORMATEX format = PcmFormat(1, 11025, 16);
  std::unique_ptr<CSound> sound;
  ASSERT_EQ(manager.MakeSound(&sound, bytes.data(), static_cast<std::uint32_t>(bytes.size()), format,
                              DSBCAPS_CTRLVOLUME, GUID(), 3),
            S_OK);
  ISoundBuffer* first = sound->BufferAt(0);
  std::uint32_t status = 99;
  ASSERT_EQ(first->GetStatus(&status), S_OK);
  EXPECT_EQ(status, 0u);

  ASSERT_EQ(sound->Play(0, 0, -600, -1, 0), S_OK);
  ASSERT_EQ(first->GetStatus(&status), S_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING);
  EXPECT_EQ(sound->PickBuffer(), sound->BufferAt(1));
  EXPECT_EQ(first->SetVolume(-10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(first->SetVolume(1), DSERR_INVALIDPARAM);

  // Stopped, it stays stopped; played again, it runs to its end and stops by itself.
  EXPECT_EQ(sound->Stop(), S_OK);
  ASSERT_EQ(first->GetStatus(&status), S_OK);
  EXPECT_EQ(status, 0u);
  ASSERT_EQ(sound->Play(0, 0, 0, -1, 0), S_OK);
  QElapsedTimer clock;
  clock.start();
  do {
    QThread::msleep(10);
    first->GetStatus(&status);
  } while (status != 0 && clock.elapsed() < 3000);
  EXPECT_EQ(status, 0u);
  sound->Stop();
}


TEST(OpenALDevice, TwoManagersKeepTheirOwnContexts) {
  // The about box plays on a device of its own while the playlist keeps its one.
  CSoundManager playlist;
  auto about = std::make_unique<CSoundManager>();
  ASSERT_EQ(playlist.OpenDevice(nullptr, DSSCL_PRIORITY, nullptr), S_OK);
  ASSERT_EQ(about->OpenDevice(nullptr, DSSCL_PRIORITY, nullptr), S_OK);
  std::vector<std::uint8_t> bytes(22050, 0x10);
  const WAVEFORMATEX format = PcmFormat(1, 11025, 16);
  std::unique_ptr<CSound> first, second;
  ASSERT_EQ(playlist.MakeSound(&first, bytes.data(), 22050, format, DSBCAPS_CTRLVOLUME, GUID(), 1), S_OK);
  ASSERT_EQ(about->MakeSound(&second, bytes.data(), 22050, format, 0, GUID(), 1), S_OK);
  ASSERT_EQ(first->Play(0, 0, 0, -1, 0), S_OK);
  std::uint32_t status = 0;
  ASSERT_EQ(second->BufferAt(0)->GetStatus(&status), S_OK);
  EXPECT_EQ(status, 0u);
  ASSERT_EQ(second->Play(0, 0, 0, -1, 0), S_OK);
  ASSERT_EQ(first->BufferAt(0)->GetStatus(&status), S_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING);
  EXPECT_EQ(first->Stop(), S_OK);
  ASSERT_EQ(second->BufferAt(0)->GetStatus(&status), S_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING);
  // Released in any order: the sounds keep their device alive.
  about.reset();
  EXPECT_EQ(second->Stop(), S_OK);
  ASSERT_EQ(first->Play(0, 0, 0, -1, 0), S_OK);
  ASSERT_EQ(first->BufferAt(0)->GetStatus(&status), S_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING);
}

}  // namespace

int main(int argc, char** argv) {
  // OpenAL reads its configuration once, at its first call: set it up before anything plays.
  soundtest::TempDir folder;
  Folder = &folder;
  const std::string conf = folder.File("alsoft.conf");
  std::ofstream(conf) << "[general]\ndrivers=wave\nchannels=mono\nsample-type=float32\nfrequency=" << kOutputRate
                      << "\nperiod_size=256\n\n[wave]\nfile=" << OutputPath() << "\n";
  setenv("ALSOFT_CONF", conf.c_str(), 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
