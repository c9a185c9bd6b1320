// The about box: its layout, the credits' scroll driven tick by tick, its resources and music.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFrame>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "windows/aboutmusic.h"
#include "sound/memorysounddevice.h"
#include "windows/tdlgabout.h"

namespace {

// Where OpenAL's wave-file backend writes what the program plays (set up in main).
QString gHeardFile;

// Every row of the picture has its own colour, so a drawn frame tells which rows it shows.
QImage NumberedRows(int height) {
  QImage image(320, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 320; ++x) image.setPixel(x, y, qRgb(y % 256, y / 256, 77));
  return image;
}

int RowOfPixel(QRgb pixel) { return qRed(pixel) + 256 * qGreen(pixel); }

// A RIFF WAVE file in memory, field by field.
class WaveBuilder {
 public:
  WaveBuilder& Tag(const char* tag) {
    Bytes.append(tag, 4);
    return *this;
  }
  WaveBuilder& U16(quint16 value) {
    Bytes.append(char(value & 0xff)).append(char(value >> 8));
    return *this;
  }
  WaveBuilder& U32(quint32 value) {
    for (int i = 0; i < 4; ++i) Bytes.append(char((value >> (8 * i)) & 0xff));
    return *this;
  }
  WaveBuilder& Raw(const QByteArray& bytes) {
    Bytes.append(bytes);
    return *this;
  }
  WaveBuilder& Format(quint16 tag, quint16 channels, quint32 rate, quint16 bits) {
    const quint16 align = static_cast<quint16>(channels * bits / 8);
    return Tag("fmt ").U32(16).U16(tag).U16(channels).U32(rate).U32(rate * align).U16(align).U16(bits);
  }
  QByteArray Bytes;
};

QByteArray PcmWave(quint32 dataBytes) {
  WaveBuilder wave;
  wave.Tag("RIFF").U32(36 + dataBytes).Tag("WAVE").Format(1, 1, 11025, 16);
  wave.Tag("data").U32(dataBytes).Raw(QByteArray(static_cast<int>(dataBytes), '\x10'));
  return wave.Bytes;
}

TEST(AboutBox, LayoutAndTimerFromConstruction) {
  TDlgAbout dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("  About  Pinacora  :"));
  EXPECT_EQ(dialog.size(), QSize(332, 286));
  EXPECT_TRUE(dialog.isModal());
  const Qt::WindowFlags flags = dialog.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));

  auto* bevel = dialog.findChild<QFrame*>(QStringLiteral("Bevel"));
  auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"));
  ASSERT_NE(bevel, nullptr);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(bevel->geometry(), QRect(6, 8, 320, 240));
  EXPECT_EQ(ok->geometry(), QRect(135, 256, 75, 25));
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_TRUE(ok->isDefault());

  EXPECT_EQ(dialog.Ticks(), 0);
  EXPECT_TRUE(dialog.TimerActive());
  auto* timer = dialog.findChild<QTimer*>();
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 40);
}

class AboutScrollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Sound = std::make_shared<MemorySoundState>();
    Dialog = std::make_unique<TDlgAbout>();
    Dialog->Music().SetDeviceFactory(MemorySoundDeviceFactory(Sound));
  }
  // Drives the timer's handler up to and including tick `last`.
  void TickTo(int last) {
    while (Dialog->Ticks() < last) Dialog->TimerTimer();
  }
  // The row of the credits shown in the middle of the credits window, as drawn on the dialog.
  int MiddleRowOnScreen() {
    const QImage shot = Dialog->grab().toImage();
    return RowOfPixel(shot.pixel(6 + 160, 8 + 120));
  }

  std::shared_ptr<MemorySoundState> Sound;
  std::unique_ptr<TDlgAbout> Dialog;
};

TEST_F(AboutScrollTest, TallCreditsStandStillThenScrollToTheirBottomEdge) {
  Dialog->SetCreditsImage(NumberedRows(927));
  Dialog->show();

  TickTo(1);
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 0, 320, 240));
  TickTo(50);
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 0, 320, 240));
  EXPECT_EQ(MiddleRowOnScreen(), 120);
  TickTo(51);
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 1, 320, 240));
  TickTo(400);
  EXPECT_EQ(Dialog->DrawnSourceRect().top(), 350);
  EXPECT_EQ(MiddleRowOnScreen(), 470);

  // The last frame shows the bottom 240 rows, at tick 737; the next tick stops the timer.
  TickTo(737);
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 687, 320, 240));
  EXPECT_TRUE(Dialog->TimerActive());
  TickTo(738);
  EXPECT_FALSE(Dialog->TimerActive());
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 687, 320, 240));
  // Covered and uncovered afterwards, the window still shows the last frame.
  EXPECT_EQ(MiddleRowOnScreen(), 807);
  TickTo(760);
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 687, 320, 240));
}

TEST_F(AboutScrollTest, CreditsOneWindowHighNeverScroll) {
  Dialog->SetCreditsImage(NumberedRows(240));
  Dialog->show();
  TickTo(50);
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 0, 320, 240));
  TickTo(51);
  EXPECT_FALSE(Dialog->TimerActive());
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 0, 320, 240));
}

TEST_F(AboutScrollTest, TicksBeforeShowingOnlyCount) {
  Dialog->SetCreditsImage(NumberedRows(927));
  TickTo(100);
  EXPECT_TRUE(Dialog->DrawnSourceRect().isEmpty());
  EXPECT_TRUE(Sound->Buffers.empty());
  Dialog->show();
  TickTo(101);
  EXPECT_EQ(Dialog->DrawnSourceRect(), QRect(0, 51, 320, 240));
}

TEST_F(AboutScrollTest, MusicStartsOnShowAndStopsAtOnceOnHide) {
  Dialog->SetCreditsImage(NumberedRows(927));
  for (int closeAt : {10, 300}) {  // during the pause and during the scroll
    SCOPED_TRACE(closeAt);
    Dialog->show();
    auto music = Sound->LastStatic();
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->Playing);
    EXPECT_FALSE(music->Looping);
    EXPECT_TRUE(Dialog->Music().IsPlaying());
    // The whole music of the resources went to the device, in its own format.
    TWaveInfo info;
    ASSERT_TRUE(ParseWave(TDlgAbout::LoadMusicResource(), info));
    EXPECT_EQ(music->Samples->size(), info.DataSize);
    EXPECT_EQ(music->Format.nSamplesPerSec, info.SamplesPerSec);

    TickTo(Dialog->Ticks() + closeAt);
    QTest::mouseClick(Dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(Dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(music->Playing);
    EXPECT_GE(music->StopCount, 1);
    EXPECT_TRUE(music->Released);
    EXPECT_FALSE(Dialog->Music().IsPlaying());
  }
}

TEST_F(AboutScrollTest, EscapeLeavesTheBoxOpenOkAndEnterCloseIt) {
  Dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Dialog.get()));
  QTest::keyClick(Dialog.get(), Qt::Key_Escape);
  EXPECT_TRUE(Dialog->isVisible());
  QTest::keyClick(Dialog.get(), Qt::Key_Return);
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_EQ(Dialog->result(), QDialog::Accepted);

  Dialog->show();
  QTest::keyClick(Dialog.get(), Qt::Key_Escape);
  EXPECT_TRUE(Dialog->isVisible());
  QTest::mouseClick(Dialog->findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_EQ(Dialog->result(), QDialog::Accepted);
}

TEST(AboutResources, CreditsAndMusicAreCompiledIn) {
  const QImage credits = TDlgAbout::LoadCreditsResource();
  ASSERT_FALSE(credits.isNull());
  EXPECT_EQ(credits.width(), 320);
  EXPECT_EQ(credits.height(), 927);

  TWaveInfo info;
  ASSERT_TRUE(ParseWave(TDlgAbout::LoadMusicResource(), info));
  const double seconds = double(info.DataSize) / info.BlockAlign / info.SamplesPerSec;
  EXPECT_GE(seconds, 20.0);
  EXPECT_LE(seconds, 40.0);
}

TEST(AboutWaveParser, AcceptsPcmAndWalksPaddedChunks) {
  TWaveInfo info;
  ASSERT_TRUE(ParseWave(PcmWave(100), info));
  EXPECT_EQ(info.Channels, 1);
  EXPECT_EQ(info.SamplesPerSec, 11025u);
  EXPECT_EQ(info.BitsPerSample, 16);
  EXPECT_EQ(info.DataSize, 100u);

  // An odd-sized chunk before the format is followed by one pad byte.
  WaveBuilder wave;
  wave.Tag("RIFF").U32(0).Tag("WAVE").Tag("LIST").U32(3).Raw("abc").Raw(QByteArray(1, '\0'));
  wave.Format(1, 2, 22050, 8).Tag("data").U32(8).Raw("12345678");
  ASSERT_TRUE(ParseWave(wave.Bytes, info));
  EXPECT_EQ(info.Channels, 2);
  EXPECT_EQ(info.BitsPerSample, 8);
  EXPECT_EQ(QByteArray(info.Data, int(info.DataSize)), QByteArray("12345678"));
}

TEST(AboutWaveParser, CutsADataChunkThatClaimsMoreThanThereIs) {
  QByteArray wave = PcmWave(10);
  wave.append('\x01');  // 11 bytes present, 16-bit samples: 5 whole ones
  wave[40] = char(0xff);  // data size 0x000000ff
  TWaveInfo info;
  ASSERT_TRUE(ParseWave(wave, info));
  EXPECT_EQ(info.DataSize, 10u);
}

TEST(AboutWaveParser, RefusesWhatCannotBePlayed) {
  TWaveInfo info;
  EXPECT_FALSE(ParseWave(QByteArray(), info));
  EXPECT_FALSE(ParseWave(PcmWave(100).left(30), info));  // inside the format chunk
  EXPECT_FALSE(ParseWave(PcmWave(100).left(44), info));  // no samples
  QByteArray notRiff = PcmWave(100);
  notRiff[0] = 'X';
  EXPECT_FALSE(ParseWave(notRiff, info));

  const struct {
    quint16 tag, channels, bits;
  } refused[] = {{3, 1, 32}, {0xfffe, 1, 16}, {1, 1, 24}, {1, 6, 16}, {1, 0, 16}};
  for (const auto& format : refused) {
    WaveBuilder wave;
    wave.Tag("RIFF").U32(0).Tag("WAVE").Format(format.tag, format.channels, 44100, format.bits);
    wave.Tag("data").U32(12).Raw(QByteArray(12, '\0'));
    EXPECT_FALSE(ParseWave(wave.Bytes, info)) << format.tag << " " << format.channels << " " << format.bits;
  }

  WaveBuilder dataFirst;
  dataFirst.Tag("RIFF").U32(0).Tag("WAVE").Tag("data").U32(4).Raw("abcd").Format(1, 1, 8000, 8);
  EXPECT_FALSE(ParseWave(dataFirst.Bytes, info));

  WaveBuilder hugeChunk;
  hugeChunk.Tag("RIFF").U32(0).Tag("WAVE").Tag("junk").U32(0xffffffffu).Raw("xy");
  EXPECT_FALSE(ParseWave(hugeChunk.Bytes, info));

  // A format chunk longer than the file.
  QByteArray longFormat = PcmWave(4);
  longFormat[16] = char(0x7f);
  EXPECT_FALSE(ParseWave(longFormat, info));
}

TEST(AboutMusic, WithoutADeviceStaysSilent) {
  auto state = std::make_shared<MemorySoundState>();
  state->OpenResult = DSERR_NODRIVER;
  TAboutMusic music(MemorySoundDeviceFactory(state));
  EXPECT_FALSE(music.Start(PcmWave(100)));
  EXPECT_FALSE(music.IsPlaying());
  music.Stop();
  EXPECT_FALSE(music.Start(QByteArray("not a wave")));
  EXPECT_TRUE(state->Buffers.empty());
}

// Reads the 16-bit samples that OpenAL's wave-file backend wrote.
QVector<qint16> HeardSamples() {
  QFile file(gHeardFile);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  const int data = bytes.indexOf("data");
  QVector<qint16> samples;
  for (int i = data + 8; data >= 0 && i + 1 < bytes.size(); i += 2)
    samples.append(qint16(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8)));
  return samples;
}

TEST(AboutMusic, TheDialogPlaysItsMusicOnARealDevice) {
  auto dialog = std::make_unique<TDlgAbout>();
  dialog->show();
  if (!dialog->Music().IsPlaying())
    GTEST_SKIP() << "OpenAL has no device here, not even its wave-file writer";
  QTest::qWait(400);
  EXPECT_TRUE(dialog->Music().IsPlaying());
  dialog->hide();
  EXPECT_FALSE(dialog->Music().IsPlaying());
  dialog.reset();

  const QVector<qint16> samples = HeardSamples();
  ASSERT_GT(samples.size(), 1000);
  int loudest = 0;
  for (qint16 s : samples) loudest = std::max(loudest, std::abs(int(s)));
  EXPECT_GT(loudest, 1000) << "the device heard only silence";
}

}  // namespace

int main(int argc, char** argv) {
  // OpenAL writes everything it plays to a file here, so the test can listen to the music.
  QTemporaryDir folder;
  if (folder.isValid()) {
    gHeardFile = folder.filePath(QStringLiteral("heard.wav"));
    const QString config = folder.filePath(QStringLiteral("alsoft.conf"));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly)) {
      file.write("[general]\ndrivers=wave\nsample-type=int16\nchannels=mono\n[wave]\nfile=");
      file.write(QFile::encodeName(gHeardFile));
      file.write("\n");
      file.close();
      qputenv("ALSOFT_CONF", QFile::encodeName(config));
    }
  }
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
