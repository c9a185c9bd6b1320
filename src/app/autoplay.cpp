// The main window's status-bar rotators, the opera notifications and the autoplay mode.
#include <QLabel>
#include <QTimer>
#include <QAction>

#include "common/globals.h"
#include "common/pseudorandom.h"
#include "common/texts.h"
#include "tformmain.h"
#include "sound/tformplaylist.h"
#include "windows/tformtreeview.h"
#include "viewer/tformviewer.h"

void TFormMain::TimerPicAdRotatorTimer() { StatusPanel0->setText(PicAdRotator.Tick()); }

void TFormMain::TimerSndAdRotatorTimer() { StatusPanel1->setText(SndAdRotator.Tick()); }

void TFormMain::ShowOperaName(std::int32_t Id) {
  for (const TagInfo& opera : OperaList) {
    if (opera.Id == Id) {
      PicAdRotator.SetText(FromNameBytes(opera.Name) + QString(96, ' '));
      return;
    }
  }
}

void TFormMain::ShowBackgroundSound(const std::string& name) {
  SndAdRotator.SetText(QStringLiteral(" background sound :  ") + FromNameBytes(name) + QString(33, ' '));
}

void TFormMain::OperaSelected(QObject* source, std::int32_t Id) {
  if (Id < 0) return;
  CurrentOpera = Id;
  if (source != nullptr && source == static_cast<QObject*>(FormTreeView) && FormViewer != nullptr) {
    FormViewer->FlyToObject(Id);
  }
  if (source != nullptr && source == static_cast<QObject*>(FormViewer) && FormTreeView != nullptr) {
    FormTreeView->SelectOpera(Id, false);
  }
  ShowOperaName(Id);
}

void TFormMain::SetAutoPlay(bool on) {
  AutoPlayOn = on;
  MenuAutoPlay->setChecked(on);
  if (!on) {
    TimerAutoplay->stop();
    return;
  }
  if (!TimerAutoplay->isActive()) TimerAutoplay->start();
  if (FormPlaylist != nullptr) FormPlaylist->SelectAll();
  GotoRandomOpera();
}

void TFormMain::TimerAutoplayTimer() {
  if (FormViewer != nullptr && FormTreeView != nullptr && AutoPlayOn) GotoRandomOpera();
}

void TFormMain::GotoRandomOpera() {
  const int n = static_cast<int>(OperaList.size());
  ProgramRandom().Seed(GetTickCount());
  if (n == 0) return;
  const int r = ProgramRandom().Next();
  int i = static_cast<int>(static_cast<double>(r) * n / 32767.0);
  if (i >= n) i = n - 1;
  CurrentOpera = OperaList[static_cast<std::size_t>(i)].Id;
  if (FormTreeView != nullptr) FormTreeView->SelectOpera(CurrentOpera, false);
  if (FormViewer != nullptr) FormViewer->FlyToObject(CurrentOpera);
  ShowOperaName(CurrentOpera);
}
