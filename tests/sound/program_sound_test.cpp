// The built program on the demo exhibition, listened to through OpenAL's wave-file writer: at
// start-up it plays the first background sound with its fade-in; without any sound device it
// runs silently.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "soundfiles.h"

namespace {

constexpr std::uint32_t kRate = 22050;

// Starts the program in a folder holding the demo data file, with the given OpenAL settings.
class ProgramRun {
 public:
  ProgramRun(const soundtest::TempDir& folder, const std::string& alsoftConf) {
    QFile::link(QString::fromLocal8Bit(PINACORA_DEMO_DATA), QString::fromStdString(folder.File("kddata.bin")));
    const std::string conf = folder.File("alsoft.conf");
    std::ofstream(conf) << alsoftConf;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ALSOFT_CONF", QString::fromStdString(conf));
    Process.setProcessEnvironment(environment);
    Process.setWorkingDirectory(QString::fromStdString(folder.File("")));
    Process.setProcessChannelMode(QProcess::MergedChannels);
    Process.start(QString::fromLocal8Bit(PINACORA_PROGRAM), QStringList());
    Process.waitForStarted(10000);
  }
  ~ProgramRun() {
    if (Process.state() != QProcess::NotRunning) {
      Process.terminate();
      if (!Process.waitForFinished(5000)) Process.kill();
      Process.waitForFinished(2000);
    }
  }
  bool Running() const { return Process.state() == QProcess::Running; }
  QString Output() { return QString::fromLocal8Bit(Process.readAll()); }

 private:
  QProcess Process;
};

std::size_t FirstSound(const std::vector<float>& samples) {
  std::size_t i = 0;
  while (i < samples.size() && samples[i] == 0.0f) ++i;
  return i;
}

double Rms(const std::vector<float>& samples, std::size_t from, std::size_t count) {
  double sum = 0;
  for (std::size_t i = from; i < from + count; ++i) sum += samples[i] * samples[i];
  return std::sqrt(sum / count);
}

TEST(ProgramSound, StartUpPlaysTheFirstBackgroundSoundFromSilence) {
  soundtest::TempDir folder;
  const std::string wave = folder.File("out.wav");
  ProgramRun run(folder, "[general]\ndrivers=wave\nchannels=mono\nsample-type=float32\nfrequency=22050\n"
                         "period_size=256\n[wave]\nfile=" + wave + "\n");
  ASSERT_TRUE(run.Running());

  // Listen until two seconds of sound have been written (at most 20 s: start-up builds the scene).
  // The fade runs on the program's own timer, so a loaded machine can stretch it; the sound's level
  // is taken as the loudest 200 ms of those two seconds rather than at a fixed moment.
  const std::size_t ms = kRate / 1000;
  soundtest::WavData heard;
  std::size_t onset = 0;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 20000 && run.Running()) {
    QThread::msleep(100);
    soundtest::WavData now;
    std::string error;
    if (!soundtest::ReadWav(wave, now, error)) continue;
    onset = FirstSound(now.Samples);
    heard = std::move(now);
    if (onset + 2000 * ms < heard.Samples.size()) break;
  }
  ASSERT_TRUE(run.Running()) << run.Output().toStdString();
  ASSERT_EQ(heard.Channels, 1);
  ASSERT_EQ(heard.Rate, kRate);
  ASSERT_LT(onset + 2000 * ms, heard.Samples.size()) << "no two seconds of background sound within 20 s";

  // The fade-in: near silence at first, at its level within the two seconds.
  const double early = Rms(heard.Samples, onset, 10 * ms);
  double level = 0;
  std::size_t levelAt = onset;
  for (std::size_t from = onset; from + 200 * ms <= onset + 2000 * ms; from += 50 * ms) {
    const double rms = Rms(heard.Samples, from, 200 * ms);
    if (rms > level) level = rms, levelAt = from;
  }
  std::printf("first background sound after %.2f s; RMS %.5f in its first 10 ms, %.3f at its loudest "
              "(from %.2f s on)\n",
              static_cast<double>(onset) / kRate, early, level, static_cast<double>(levelAt - onset) / kRate);
  EXPECT_GT(level, 0.01);
  EXPECT_LT(early, 0.05 * level);
}

TEST(ProgramSound, WithoutASoundDeviceTheProgramRunsSilently) {
  soundtest::TempDir folder;
  ProgramRun run(folder, "[general]\ndrivers=pinacora-no-such-driver\n");
  ASSERT_TRUE(run.Running());
  QThread::msleep(2000);
  EXPECT_TRUE(run.Running()) << run.Output().toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
