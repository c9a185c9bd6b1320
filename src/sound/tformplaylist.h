// The background-sound playlist window.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sounddevice.h"

class CSound;
class CSoundManager;
class QListWidget;
class QPushButton;
class QTimer;
class TDataBanker;
namespace Ui {
class FormPlaylist;
}

class TFormPlaylist : public QWidget {
  Q_OBJECT
 public:
  // The sounds come from banker (none without one).
  explicit TFormPlaylist(TDataBanker* banker, QWidget* parent = nullptr);
  ~TFormPlaylist() override;

  void ShowTool(bool show);
  // Stops the sound that plays and checks every item.
  void SelectAll();
  // Stops the sound that plays and unchecks every item.
  void DeselectAll();
  // Moves to the next checked item that can be played and plays it with the fade-in.
  void PlayNext();
  bool IsPlaying() const;

  // The sound device the windows made from now on open; an empty factory restores OpenAL.
  static void SetDeviceFactory(SoundDeviceFactory factory);

  std::int32_t GetCurrentIndex() const { return CurrentIndex; }
  std::int32_t GetVolume() const { return Volume; }
  CSound* GetCurrentSound() const { return CurrentSound.get(); }
  const std::vector<std::uint8_t>& GetCurrentSamples() const { return CurrentSamples; }

 signals:
  // The playlist moved to another sound; name is its Windows-1252 name.
  void SoundStarted(const std::string& name);

 public slots:
  void Button1Click();
  void Button2Click();
  void ButtonCloseClick();
  void TimerTimer();
  void TimerFadeTimer();

 private:
  // A sound made from an item, with the bytes it plays from.
  struct TLoadedSound {
    std::unique_ptr<CSound> Sound;
    std::vector<std::uint8_t> Samples;
  };

  void createTimers();
  void connectSignals();
  void FormCreate();
  void FillList();
  TLoadedSound LoadSound(int index);
  int NextChecked() const;
  bool NoneChecked() const;
  int CheckedCount() const;
  void ShowCurrent();
  // Answers whether the current sound started playing.
  bool StartSound();
  void FadeStep();
  void ApplyVolume();
  void StopSound();
  void SetAllChecked(bool checked);

  std::unique_ptr<Ui::FormPlaylist> ui;
  TDataBanker* Banker = nullptr;
  QListWidget* CheckListBoxSounds = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* ButtonClose = nullptr;
  QTimer* Timer = nullptr;
  QTimer* TimerFade = nullptr;

  // Declared in this order so that the sound goes before its bytes, and both before the device.
  std::unique_ptr<CSoundManager> SoundManager;
  std::vector<std::uint8_t> CurrentSamples;
  std::unique_ptr<CSound> CurrentSound;
  std::int32_t CurrentIndex = -1;
  std::int32_t Volume = DSBVOLUME_MIN;
  // Set when no checked sound could be played; cleared when items are checked again.
  bool NothingPlayable = false;
};
