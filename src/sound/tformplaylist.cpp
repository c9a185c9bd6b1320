#include "tformplaylist.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "common/showtool.h"
#include "common/texts.h"
#include "csoundmanager.h"
#include "data/tdatabanker.h"
#include "data/tzlib.h"
#include "ui_tformplaylist.h"

namespace {

// Every background sound: raw 16-bit mono PCM at 11025 samples per second.
WAVEFORMATEX SoundFormat() { return PcmFormat(1, 11025, 16); }

constexpr int kTimerInterval = 1000;
constexpr int kFadeInterval = 10;
constexpr std::int32_t kFadeStep = 800;  // +8 dB a tick
constexpr int kTop = 164;
constexpr int kIdRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;  // the name as stored, for the status bar

SoundDeviceFactory& DeviceFactory() {
  static SoundDeviceFactory factory;
  return factory;
}

}  // namespace

void TFormPlaylist::SetDeviceFactory(SoundDeviceFactory factory) { DeviceFactory() = std::move(factory); }

TFormPlaylist::TFormPlaylist(TDataBanker* banker, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), ui(std::make_unique<Ui::FormPlaylist>()), Banker(banker) {
  ui->setupUi(this);
  CheckListBoxSounds = ui->CheckListBoxSounds;
  Button1 = ui->Button1;
  Button2 = ui->Button2;
  ButtonClose = ui->ButtonClose;
  createTimers();
  connectSignals();
  FormCreate();
}

TFormPlaylist::~TFormPlaylist() {
  // The owner stops a sound before deleting it.
  StopSound();
  CurrentSound.reset();
  CurrentSamples.clear();
}

void TFormPlaylist::createTimers() {
  Timer = new QTimer(this);
  Timer->setObjectName("Timer");
  Timer->setInterval(kTimerInterval);
  TimerFade = new QTimer(this);
  TimerFade->setObjectName("TimerFade");
  TimerFade->setInterval(kFadeInterval);
}

void TFormPlaylist::connectSignals() {
  connect(Button1, &QPushButton::clicked, this, &TFormPlaylist::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TFormPlaylist::Button2Click);
  connect(ButtonClose, &QPushButton::clicked, this, &TFormPlaylist::ButtonCloseClick);
  connect(Timer, &QTimer::timeout, this, &TFormPlaylist::TimerTimer);
  connect(TimerFade, &QTimer::timeout, this, &TFormPlaylist::TimerFadeTimer);
  // A newly checked item may be one that can play.
  connect(CheckListBoxSounds, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (item->checkState() == Qt::Checked) NothingPlayable = false;
  });
}

void TFormPlaylist::FormCreate() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int screenWidth = screen != nullptr ? screen->geometry().width() : width();
  move((screenWidth - width()) / 2, kTop);

  // Without a sound device (or with one that refuses) every sound fails to be made and the
  // playlist stays silent; nothing is reported.
  SoundManager = std::make_unique<CSoundManager>(DeviceFactory());
  SoundManager->OpenDevice(this, DSSCL_PRIORITY, nullptr);
  SoundManager->SetPrimaryFormat(1, 11025, 16);

  FillList();

  Timer->start();
  TimerFade->start();
}

void TFormPlaylist::FillList() {
  if (Banker == nullptr) return;
  TVecInfos sounds;
  Banker->ListSounds(sounds);
  CheckListBoxSounds->clear();
  for (const TagInfo& info : sounds) {
    auto* item = new QListWidgetItem(FromNameBytes(info.Name), CheckListBoxSounds);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setData(kIdRole, info.Id);
    item->setData(kNameRole, QByteArray(info.Name.data(), static_cast<int>(info.Name.size())));
    item->setCheckState(Qt::Unchecked);
  }
  if (CheckListBoxSounds->count() > 0) {
    TLoadedSound loaded = LoadSound(0);
    CurrentSound = std::move(loaded.Sound);
    CurrentSamples = std::move(loaded.Samples);
  }
}

TFormPlaylist::TLoadedSound TFormPlaylist::LoadSound(int index) {
  TLoadedSound loaded;
  if (index < 0 || index >= CheckListBoxSounds->count() || Banker == nullptr) return loaded;
  const std::int32_t id = CheckListBoxSounds->item(index)->data(kIdRole).toInt();
  std::unique_ptr<TGXChunkList> list = Banker->GetChunkList(id);
  if (!list) return loaded;

  // The first chunk is the wave chunk: its data is a zlib stream of raw samples.
  const TGXChunk* chunk = list->GetChunk(0);
  if (chunk == nullptr) return loaded;
  std::int32_t length = std::min<std::int32_t>(chunk->DataLength, static_cast<std::int32_t>(chunk->Data.size()));
  std::vector<std::uint8_t> samples = InflateBuffer(chunk->Data.data(), length);
  list.reset();

  std::unique_ptr<CSound> sound;
  const HRESULT result = SoundManager->MakeSound(&sound, samples.data(), static_cast<std::uint32_t>(samples.size()),
                                                 SoundFormat(), DSBCAPS_CTRLVOLUME, GUID(), 1);
  if (FAILED(result) || !sound) return loaded;
  loaded.Sound = std::move(sound);
  loaded.Samples = std::move(samples);
  return loaded;
}

void TFormPlaylist::PlayNext() {
  if (NoneChecked() || NothingPlayable) return;
  StopSound();
  // A sound that cannot be made or played is passed over for the next checked one; each checked
  // sound is tried once. When none can play, the playlist stays silent where it was until
  // "Select All" or a newly checked item has it try again.
  const std::int32_t before = CurrentIndex;
  const int checked = CheckedCount();
  for (int attempt = 0; attempt < checked; ++attempt) {
    CurrentIndex = NextChecked();
    CurrentSound.reset();
    CurrentSamples = std::vector<std::uint8_t>();
    TLoadedSound loaded = LoadSound(CurrentIndex);
    CurrentSound = std::move(loaded.Sound);
    CurrentSamples = std::move(loaded.Samples);
    if (!CurrentSound) continue;
    ShowCurrent();
    if (StartSound()) return;
  }
  StopSound();
  CurrentSound.reset();
  CurrentSamples = std::vector<std::uint8_t>();
  CurrentIndex = before;
  NothingPlayable = true;
}

int TFormPlaylist::NextChecked() const {
  if (NoneChecked()) return -1;
  const int count = CheckListBoxSounds->count();
  int start = CurrentIndex + 1;
  if (start >= count) start = 0;
  for (int i = start; i < count; ++i)
    if (CheckListBoxSounds->item(i)->checkState() == Qt::Checked) return i;
  for (int i = 0; i < count; ++i)
    if (CheckListBoxSounds->item(i)->checkState() == Qt::Checked) return i;
  return -1;
}

int TFormPlaylist::CheckedCount() const {
  int checked = 0;
  for (int i = 0; i < CheckListBoxSounds->count(); ++i)
    if (CheckListBoxSounds->item(i)->checkState() == Qt::Checked) ++checked;
  return checked;
}

bool TFormPlaylist::NoneChecked() const {
  for (int i = 0; i < CheckListBoxSounds->count(); ++i)
    if (CheckListBoxSounds->item(i)->checkState() == Qt::Checked) return false;
  return true;
}

void TFormPlaylist::ShowCurrent() {
  QListWidgetItem* item = CheckListBoxSounds->item(CurrentIndex);
  if (item == nullptr) return;
  CheckListBoxSounds->setCurrentItem(item);
  emit SoundStarted(item->data(kNameRole).toByteArray().toStdString());
}

bool TFormPlaylist::StartSound() {
  Volume = DSBVOLUME_MIN;
  TimerFade->stop();
  const bool started = CurrentSound && SUCCEEDED(CurrentSound->Play(0, 0, DSBVOLUME_MIN, -1, 0));
  TimerFade->start();
  return started;
}

void TFormPlaylist::FadeStep() {
  Volume = std::min(Volume + kFadeStep, DSBVOLUME_MAX);
  ApplyVolume();
}

void TFormPlaylist::ApplyVolume() {
  if (!CurrentSound) return;
  if (ISoundBuffer* buffer = CurrentSound->BufferAt(0)) buffer->SetVolume(Volume);
}

void TFormPlaylist::StopSound() {
  TimerFade->stop();
  Volume = DSBVOLUME_MIN;
  if (CurrentSound) CurrentSound->Stop();
}

bool TFormPlaylist::IsPlaying() const {
  if (!CurrentSound) return false;
  ISoundBuffer* buffer = CurrentSound->BufferAt(0);
  if (buffer == nullptr) return false;
  std::uint32_t status = 0;
  if (FAILED(buffer->GetStatus(&status))) return false;
  return status == DSBSTATUS_PLAYING;
}

void TFormPlaylist::SetAllChecked(bool checked) {
  StopSound();
  if (checked) NothingPlayable = false;
  for (int i = 0; i < CheckListBoxSounds->count(); ++i)
    CheckListBoxSounds->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFormPlaylist::SelectAll() { SetAllChecked(true); }

void TFormPlaylist::DeselectAll() { SetAllChecked(false); }

void TFormPlaylist::ShowTool(bool show) { ::ShowTool(this, show); }

void TFormPlaylist::Button1Click() { SelectAll(); }

void TFormPlaylist::Button2Click() { DeselectAll(); }

void TFormPlaylist::ButtonCloseClick() { ShowTool(false); }

void TFormPlaylist::TimerTimer() {
  if (!IsPlaying()) PlayNext();
}

void TFormPlaylist::TimerFadeTimer() {
  if (CurrentSound) FadeStep();
}
