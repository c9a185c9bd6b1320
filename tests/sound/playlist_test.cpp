// The playlist window on packed data files, playing through the in-memory device.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "sound/csound.h"
#include "common/globals.h"
#include "data/gxwriter.h"
#include "sound/memorysounddevice.h"
#include "soundfiles.h"
#include "data/tdatabanker.h"
#include "common/texts.h"
#include "sound/tformplaylist.h"

namespace {

using soundtest::Tone;

// Five sounds of distinct lengths, so that the sample count tells which one is made.
const std::vector<Tone> kTones = {
    {"Preludio", 220, 0.10}, {"Aria", 330, 0.12}, {"Sinfonia", 440, 0.14},
    {"Notturno", 550, 0.16}, {"Finale con brìo", 660, 0.18},
};

std::size_t SampleBytes(std::size_t index) { return soundtest::ToneSamples(kTones[index]).size() * 2; }

class PlaylistTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Folder = std::make_unique<soundtest::TempDir>();
    PackError = soundtest::PackSounds(*Folder, Folder->File("kddata.bin"), kTones);
  }
  static void TearDownTestSuite() { Folder.reset(); }

  void SetUp() override {
    ASSERT_EQ(PackError, "");
    State = std::make_shared<MemorySoundState>();
    TFormPlaylist::SetDeviceFactory(MemorySoundDeviceFactory(State));
  }
  void TearDown() override {
    Form.reset();
    TFormPlaylist::SetDeviceFactory(nullptr);
  }

  void Create(const std::string& file = "kddata.bin") {
    Banker = std::make_unique<TDataBanker>(Folder->File(file));
    Form = std::make_unique<TFormPlaylist>(Banker.get());
    List = Form->findChild<QListWidget*>("CheckListBoxSounds");
    ASSERT_NE(List, nullptr);
  }

  // The device's record of the sound the window holds now.
  MemoryBufferState& Current() { return *State->LastStatic(); }
  bool CurrentPlays() { return State->LastStatic() && Current().Playing; }
  // The sound that plays reaches its end; the next second's tick follows.
  void EndAndTick() {
    State->Finish(State->Buffers.size() - 1);
    Form->TimerTimer();
  }
  void Check(int index, bool checked) { List->item(index)->setCheckState(checked ? Qt::Checked : Qt::Unchecked); }

  static std::unique_ptr<soundtest::TempDir> Folder;
  static std::string PackError;
  std::shared_ptr<MemorySoundState> State;
  std::unique_ptr<TDataBanker> Banker;
  std::unique_ptr<TFormPlaylist> Form;
  QListWidget* List = nullptr;
};

std::unique_ptr<soundtest::TempDir> PlaylistTest::Folder;
std::string PlaylistTest::PackError;

TEST_F(PlaylistTest, CreationFillsTheListAndMakesTheFirstSoundSilently) {
  Create();
  EXPECT_EQ(Form->windowTitle(), " Pinacora :  Playlist");
  EXPECT_TRUE(Form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(Form->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_EQ(Form->size(), QSize(592, 246));
  EXPECT_EQ(Form->y(), 164);
  EXPECT_EQ(Form->x(), (QGuiApplication::primaryScreen()->geometry().width() - 592) / 2);
  EXPECT_EQ(Form->findChild<QPushButton*>("Button1")->text(), "Select &All");
  EXPECT_EQ(Form->findChild<QPushButton*>("Button2")->text(), "&Deselect All");
  EXPECT_EQ(Form->findChild<QPushButton*>("ButtonClose")->text(), "&Close");
  auto* timer = Form->findChild<QTimer*>("Timer");
  auto* fade = Form->findChild<QTimer*>("TimerFade");
  ASSERT_TRUE(timer && fade);
  EXPECT_EQ(timer->interval(), 1000);
  EXPECT_EQ(fade->interval(), 10);
  EXPECT_TRUE(timer->isActive());
  EXPECT_TRUE(fade->isActive());

  // The device: opened with the priority level, primary format 11025 Hz 16-bit mono.
  EXPECT_EQ(State->Level, DSSCL_PRIORITY);
  ASSERT_FALSE(State->Buffers.empty());
  ASSERT_EQ(State->Buffers[0]->FormatsSet.size(), 1u);
  EXPECT_EQ(State->Buffers[0]->FormatsSet[0].nAvgBytesPerSec, 22050u);

  ASSERT_EQ(List->count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(List->item(i)->text(), QString::fromUtf8(kTones[i].Name.c_str()));
    EXPECT_EQ(List->item(i)->data(Qt::UserRole).toInt(), 201 + i);
    EXPECT_EQ(List->item(i)->checkState(), Qt::Unchecked);
  }
  EXPECT_EQ(Form->GetCurrentIndex(), -1);
  ASSERT_NE(Form->GetCurrentSound(), nullptr);
  EXPECT_EQ(Form->GetCurrentSamples().size(), SampleBytes(0));
  EXPECT_FALSE(CurrentPlays());
  // The sound is made with the volume control only and the fixed format.
  const DSBUFFERDESC& desc = State->Descriptions.back();
  EXPECT_EQ(desc.dwFlags, DSBCAPS_CTRLVOLUME);
  EXPECT_EQ(Current().Format.nSamplesPerSec, 11025u);
  EXPECT_EQ(Current().Format.wBitsPerSample, 16);
  EXPECT_EQ(Current().Format.nChannels, 1);
  EXPECT_EQ(*Current().Samples, Form->GetCurrentSamples());
}

TEST_F(PlaylistTest, CheckedSoundsPlayInOrderAndWrapAround) {
  Create();
  for (int i : {0, 2, 4}) Check(i, true);
  Form->PlayNext();
  EXPECT_EQ(Form->GetCurrentIndex(), 0);
  EXPECT_TRUE(CurrentPlays());
  EXPECT_TRUE(Form->IsPlaying());
  EXPECT_EQ(List->currentRow(), 0);
  EXPECT_EQ(Current().Volumes.front(), -10000);  // starts from silence

  // While it plays, the second's tick does nothing.
  Form->TimerTimer();
  EXPECT_EQ(Form->GetCurrentIndex(), 0);
  EXPECT_EQ(Current().PlayCount, 1);

  EndAndTick();
  EXPECT_EQ(Form->GetCurrentIndex(), 2);
  EXPECT_EQ(Form->GetCurrentSamples().size(), SampleBytes(2));
  EXPECT_EQ(List->currentRow(), 2);
  EndAndTick();
  EXPECT_EQ(Form->GetCurrentIndex(), 4);
  EndAndTick();
  EXPECT_EQ(Form->GetCurrentIndex(), 0);
  EXPECT_TRUE(CurrentPlays());
  EXPECT_EQ(Current().LastPlayFlags, 0u);  // once, never looping
}

TEST_F(PlaylistTest, SingleCheckedSoundRepeatsAndUncheckingThePlayingOneLetsItFinish) {
  Create();
  Check(1, true);
  Form->PlayNext();
  EXPECT_EQ(Form->GetCurrentIndex(), 1);
  EndAndTick();
  EXPECT_EQ(Form->GetCurrentIndex(), 1);
  EXPECT_TRUE(CurrentPlays());

  // Unchecked while it plays: it goes on; the next checked one follows its end.
  Check(3, true);
  Check(1, false);
  Form->TimerTimer();
  EXPECT_TRUE(CurrentPlays());
  EXPECT_EQ(Form->GetCurrentIndex(), 1);
  EndAndTick();
  EXPECT_EQ(Form->GetCurrentIndex(), 3);
}

TEST_F(PlaylistTest, SelectAllStopsAtOnceAndTheNextTickSkipsToTheFollowingSound) {
  Create();
  Form->SelectAll();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(List->item(i)->checkState(), Qt::Checked);
  Form->PlayNext();
  EndAndTick();
  ASSERT_EQ(Form->GetCurrentIndex(), 1);
  for (int i = 0; i < 5; ++i) Form->TimerFadeTimer();
  ASSERT_GT(Form->GetVolume(), -10000);
  auto second = State->LastStatic();

  Form->findChild<QPushButton*>("Button1")->click();
  EXPECT_FALSE(second->Playing);
  EXPECT_EQ(Form->GetVolume(), -10000);
  EXPECT_FALSE(Form->findChild<QTimer*>("TimerFade")->isActive());
  EXPECT_FALSE(Form->IsPlaying());

  Form->TimerTimer();
  EXPECT_EQ(Form->GetCurrentIndex(), 2);
  EXPECT_TRUE(CurrentPlays());
  EXPECT_EQ(Current().Volumes, std::vector<std::int32_t>{-10000});
  EXPECT_TRUE(second->Released);  // the old sound is gone with its bytes
}

TEST_F(PlaylistTest, DeselectAllSilencesUntilAnItemIsCheckedAgain) {
  Create();
  Form->SelectAll();
  Form->PlayNext();
  EndAndTick();
  ASSERT_EQ(Form->GetCurrentIndex(), 1);

  Form->findChild<QPushButton*>("Button2")->click();
  EXPECT_FALSE(CurrentPlays());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(List->item(i)->checkState(), Qt::Unchecked);
  const int plays = Current().PlayCount;
  Form->TimerTimer();
  Form->TimerTimer();
  EXPECT_EQ(Current().PlayCount, plays);
  EXPECT_EQ(Form->GetCurrentIndex(), 1);

  // Checking an item does nothing by itself; the next tick starts it.
  Check(0, true);
  EXPECT_FALSE(CurrentPlays());
  Form->TimerTimer();
  EXPECT_EQ(Form->GetCurrentIndex(), 0);
  EXPECT_TRUE(CurrentPlays());
}

TEST_F(PlaylistTest, FadeInReachesFullLevelOnTheThirteenthTickAndStaysThere) {
  Create();
  Form->SelectAll();
  Form->PlayNext();
  for (int tick = 1; tick <= 20; ++tick) {
    Form->TimerFadeTimer();
    const std::int32_t expected = tick < 13 ? -10000 + 800 * tick : 0;
    ASSERT_EQ(Form->GetVolume(), expected) << "tick " << tick;
    ASSERT_EQ(Current().Volume, expected) << "tick " << tick;
  }
  const std::vector<std::int32_t>& volumes = Current().Volumes;
  ASSERT_EQ(volumes.size(), 21u);  // the play's own -10000, then one per tick
  EXPECT_EQ(volumes[12], -400);
  EXPECT_EQ(volumes[13], 0);
  for (std::int32_t volume : volumes) EXPECT_LE(volume, 0);
}

TEST_F(PlaylistTest, OnlyAStatusOfExactlyPlayingCountsAsPlaying) {
  Create();
  Check(0, true);
  Check(1, true);
  Form->PlayNext();
  ASSERT_TRUE(Form->IsPlaying());
  Current().ExtraStatus = DSBSTATUS_LOOPING;  // playing, but not only playing
  EXPECT_FALSE(Form->IsPlaying());
  Form->TimerTimer();
  EXPECT_EQ(Form->GetCurrentIndex(), 1);

  Current().ExtraStatus = 0;
  Current().StatusResult = DSERR_INVALIDCALL;  // a status that cannot be read is not playing either
  EXPECT_FALSE(Form->IsPlaying());
}

TEST_F(PlaylistTest, HideAndShowBringTheWindowBackWhereItWas) {
  Create();
  Form->ShowTool(true);
  EXPECT_TRUE(Form->isVisible());
  const QRect before = Form->geometry();
  Form->findChild<QPushButton*>("ButtonClose")->click();
  EXPECT_FALSE(Form->isVisible());
  Form->ShowTool(true);
  EXPECT_TRUE(Form->isVisible());
  EXPECT_FALSE(Form->isMinimized());
  EXPECT_EQ(Form->size(), before.size());
  EXPECT_EQ(Form->pos(), before.topLeft());
}

TEST_F(PlaylistTest, NoSoundDeviceMeansSilenceAndNothingElse) {
  State->OpenResult = DSERR_NODRIVER;
  Create();
  EXPECT_EQ(List->count(), 5);
  EXPECT_EQ(Form->GetCurrentSound(), nullptr);
  Form->SelectAll();
  Form->PlayNext();
  Form->TimerTimer();
  Form->TimerFadeTimer();
  EXPECT_EQ(Form->GetCurrentIndex(), -1);
  EXPECT_FALSE(Form->IsPlaying());
  EXPECT_TRUE(State->Buffers.empty());
}

TEST_F(PlaylistTest, ADeviceThatRefusesBuffersLeavesThePlaylistSilent) {
  State->CreateResult = DSERR_OUTOFMEMORY;
  Create();
  EXPECT_EQ(Form->GetCurrentSound(), nullptr);
  Form->SelectAll();
  Form->PlayNext();
  EXPECT_EQ(Form->GetCurrentIndex(), -1);
}

TEST_F(PlaylistTest, NoBankerLeavesTheListEmpty) {
  Form = std::make_unique<TFormPlaylist>(nullptr);
  List = Form->findChild<QListWidget*>("CheckListBoxSounds");
  EXPECT_EQ(List->count(), 0);
  Form->SelectAll();
  Form->PlayNext();
  EXPECT_EQ(Form->GetCurrentSound(), nullptr);
}

class PlaylistFileTest : public PlaylistTest {
 protected:
  // A file written directly: sound lists in the given order, each with its samples packed or
  // not, and an entry whose Id and UserId differ (the banker cannot find it from the listing).
  void Write(const std::string& name, bool withBrokenEntry) {
    TGXFileWriter writer;
    ASSERT_TRUE(writer.Open(Folder->File(name)));
    if (withBrokenEntry) {
      TGXChunkList list;
      list.Name = "Perduto";
      list.Id = 300;
      list.UserId = 301;  // the listing reports 301, which no list has
      list.Type = 3;
      auto wave = std::make_unique<TGXChunkWav>();
      wave->Name = "Perduto";
      wave->AssignData({0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});  // empty zlib stream
      list.Append(std::move(wave));
      ASSERT_TRUE(writer.AppendList(list)) << writer.Error();
    }
    ASSERT_TRUE(writer.Finish()) << writer.Error();
  }
};

TEST_F(PlaylistFileTest, EmptySoundListPlaysNothing) {
  Write("empty.bin", false);
  Create("empty.bin");
  EXPECT_EQ(List->count(), 0);
  EXPECT_EQ(Form->GetCurrentSound(), nullptr);
  Form->findChild<QPushButton*>("Button1")->click();
  Form->PlayNext();
  Form->TimerTimer();
  Form->findChild<QPushButton*>("Button2")->click();
  EXPECT_EQ(Form->GetCurrentIndex(), -1);
  EXPECT_TRUE(State->Descriptions.empty());
}

TEST_F(PlaylistFileTest, ASoundThatCannotBeFoundIsStillShownButNothingPlays) {
  Write("broken.bin", true);
  Create("broken.bin");
  ASSERT_EQ(List->count(), 1);
  EXPECT_EQ(List->item(0)->text(), "Perduto");
  EXPECT_EQ(Form->GetCurrentSound(), nullptr);
  EXPECT_TRUE(State->Descriptions.empty());
}

// Sounds that cannot be played among those that can: a chunk of a single sample (too short for
// any buffer) is passed over, and the next checked sound plays instead.
class PlaylistSkipTest : public PlaylistTest {
 protected:
  // A zlib stream that stores the bytes as they are.
  static std::vector<std::uint8_t> Stored(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> stream = {0x78, 0x01, 0x01};
    const auto length = static_cast<std::uint16_t>(bytes.size());
    stream.push_back(length & 0xFF);
    stream.push_back(length >> 8);
    stream.push_back(~length & 0xFF);
    stream.push_back((~length >> 8) & 0xFF);
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : bytes) {
      stream.push_back(byte);
      a = (a + byte) % 65521;
      b = (b + a) % 65521;
    }
    const std::uint32_t adler = (b << 16) | a;
    for (int shift = 24; shift >= 0; shift -= 8) stream.push_back((adler >> shift) & 0xFF);
    return stream;
  }

  // Sounds "Uno" (one sample), "Aria" (2000 samples), "Coda" (one sample), ids 401 to 403.
  void WriteMixed(const std::string& name) {
    TGXFileWriter writer;
    ASSERT_TRUE(writer.Open(Folder->File(name)));
    const std::vector<std::pair<std::string, std::size_t>> sounds = {{"Uno", 1}, {"Aria", 2000}, {"Coda", 1}};
    std::int32_t id = 401;
    for (const auto& [title, samples] : sounds) {
      TGXChunkList list;
      list.Name = title;
      list.Id = list.UserId = id++;
      list.Type = 3;
      auto wave = std::make_unique<TGXChunkWav>();
      wave->Name = title;
      std::vector<std::uint8_t> bytes(samples * 2);
      for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
      wave->AssignData(Stored(bytes));
      list.Append(std::move(wave));
      ASSERT_TRUE(writer.AppendList(list)) << writer.Error();
    }
    ASSERT_TRUE(writer.Finish()) << writer.Error();
  }
  int Made() const { return static_cast<int>(State->Descriptions.size()); }
};

TEST_F(PlaylistSkipTest, ASoundThatCannotBeMadeIsPassedOverForTheNextCheckedOne) {
  WriteMixed("mixed.bin");
  Create("mixed.bin");
  ASSERT_EQ(List->count(), 3);
  EXPECT_EQ(Form->GetCurrentSound(), nullptr);  // the first sound is the one-sample one

  Form->SelectAll();
  Form->PlayNext();
  EXPECT_EQ(Form->GetCurrentIndex(), 1);
  EXPECT_TRUE(CurrentPlays());
  EXPECT_EQ(List->currentRow(), 1);
  EXPECT_EQ(Form->GetCurrentSamples().size(), 4000u);

  // "Coda" after it cannot play either: the round wraps past "Uno" back to "Aria".
  EndAndTick();
  EXPECT_EQ(Form->GetCurrentIndex(), 1);
  EXPECT_TRUE(CurrentPlays());
  EXPECT_EQ(Current().PlayCount, 1);
  EXPECT_TRUE(Form->IsPlaying());
}

TEST_F(PlaylistSkipTest, WithNoPlayableSoundCheckedItWaitsUntilSelectAllOrACheck) {
  WriteMixed("mixed.bin");
  Create("mixed.bin");
  Check(0, true);
  Check(2, true);
  Form->PlayNext();
  EXPECT_FALSE(Form->IsPlaying());
  EXPECT_EQ(Form->GetCurrentIndex(), -1);
  EXPECT_EQ(Form->GetCurrentSound(), nullptr);

  // Silent, and the seconds' ticks no longer inflate and try every sound again.
  const int tried = Made();
  for (int i = 0; i < 3; ++i) Form->TimerTimer();
  EXPECT_EQ(Made(), tried);

  // Checking a playable item brings the music back on the next tick.
  Check(1, true);
  Form->TimerTimer();
  EXPECT_EQ(Form->GetCurrentIndex(), 1);
  EXPECT_TRUE(CurrentPlays());

  // Silent again with only unplayable sounds checked; "Select All" tries them all once more.
  Form->DeselectAll();
  Check(2, true);
  Form->TimerTimer();
  EXPECT_FALSE(Form->IsPlaying());
  Form->TimerTimer();
  Form->findChild<QPushButton*>("Button1")->click();
  Form->TimerTimer();
  EXPECT_EQ(Form->GetCurrentIndex(), 1);
  EXPECT_TRUE(CurrentPlays());
}

TEST_F(PlaylistTest, AfterTheDeviceRefusedEverySoundSelectAllBringsTheMusicBack) {
  Create();
  Form->SelectAll();
  Form->PlayNext();
  ASSERT_EQ(Form->GetCurrentIndex(), 0);
  State->CreateResult = DSERR_OUTOFMEMORY;
  EndAndTick();
  EXPECT_FALSE(Form->IsPlaying());
  EXPECT_EQ(Form->GetCurrentIndex(), 0);
  const std::size_t tried = State->Descriptions.size();
  EXPECT_EQ(tried, 2u + 5u);  // made at creation, the first play, then each of the five once
  Form->TimerTimer();
  EXPECT_EQ(State->Descriptions.size(), tried);

  State->CreateResult = DS_OK;  // the device is back
  Form->findChild<QPushButton*>("Button1")->click();
  Form->TimerTimer();
  EXPECT_EQ(Form->GetCurrentIndex(), 1);
  EXPECT_TRUE(CurrentPlays());
}

}  // namespace
