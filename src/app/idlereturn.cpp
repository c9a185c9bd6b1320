#include "idlereturn.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QMenu>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

#include "common/globals.h"
#include "sound/tformplaylist.h"
#include "tformmain.h"
#include "windows/tformmediaplayer.h"
#include "windows/tformtextviewer.h"
#include "windows/tformtreeview.h"

namespace {
// A visitor's gesture has to end before the tour comes back, so a few looks a second suffice.
constexpr int kPollMs = 250;

int SignalWriteEnd = -1;
void OnEndSignal(int) {
  const char byte = 1;
  if (SignalWriteEnd >= 0) (void)!::write(SignalWriteEnd, &byte, 1);
}

qint64 MonotonicMilliseconds() {
  static QElapsedTimer clock;
  if (!clock.isValid()) clock.start();
  return clock.elapsed();
}

template <typename TWindow>
bool IsOpen(const TWindow* window) {
  return window != nullptr && window->isVisible();
}

// The visitor's windows as they are now: the tool windows, modal dialogs, open menus.
bool VisitorWindowsOpen() {
  if (IsOpen(FormTreeView) || IsOpen(FormTextViewer) || IsOpen(FormMediaPlayer) || IsOpen(FormPlaylist)) return true;
  if (QApplication::activePopupWidget() != nullptr || QApplication::activeModalWidget() != nullptr) return true;
  return false;
}

void CloseMenusAndDialogs() {
  for (int guard = 0; guard < 16 && QApplication::activePopupWidget() != nullptr; ++guard)
    QApplication::activePopupWidget()->close();
  // Modal dialogs (the about box, a message, the staff code) end their own loops when done.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(window);
    if (dialog != nullptr && dialog->isVisible()) dialog->done(QDialog::Rejected);
  }
}
}  // namespace

std::function<qint64()> TIdleReturn::Clock = MonotonicMilliseconds;

void TIdleReturn::SetClock(std::function<qint64()> clock) {
  Clock = clock ? std::move(clock) : std::function<qint64()>(MonotonicMilliseconds);
}

TIdleReturn::TIdleReturn(int idleSeconds, QObject* parent) : QObject(parent), IdleMs(idleSeconds * 1000) {
  LastInputAt = Clock();
  LastPointer = QCursor::pos();
  Poll = new QTimer(this);
  Poll->setInterval(kPollMs);
  connect(Poll, &QTimer::timeout, this, &TIdleReturn::Check);
  if (IdleMs > 0) Poll->start();
  qApp->installEventFilter(this);
}

TIdleReturn::~TIdleReturn() {
  if (SignalPipe[0] >= 0) {
    SignalWriteEnd = -1;
    ::close(SignalPipe[0]);
    ::close(SignalPipe[1]);
  }
}

bool TIdleReturn::IsInput(const QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
      return true;
    default:
      return false;
  }
}

bool TIdleReturn::eventFilter(QObject* watched, QEvent* event) {
  // Only what the window system delivers: events the program sends itself are no visitor.
  if (!IsInput(event) || !event->spontaneous()) return QObject::eventFilter(watched, event);
  // A window mapped or unmapped under a still pointer brings a move to where the pointer already
  // was; only a pointer that moves is someone's hand.
  if (event->type() == QEvent::MouseMove) {
    const QPoint where = static_cast<QMouseEvent*>(event)->globalPos();
    if (where == LastPointer) return QObject::eventFilter(watched, event);
    LastPointer = where;
  }
  LastInputAt = Clock();
  Armed = true;
  return QObject::eventFilter(watched, event);
}

void TIdleReturn::EndWhenIdle(int quietSeconds) {
  EndAfterQuietMs = quietSeconds * 1000;
  if (!Poll->isActive()) Poll->start();
  Check();
}

void TIdleReturn::EndWhenIdleOnSignal() {
  if (SignalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, SignalPipe) != 0)
    return;
  SignalWriteEnd = SignalPipe[0];
  auto* notifier = new QSocketNotifier(SignalPipe[1], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    bool asked = false;
    while (::read(SignalPipe[1], &byte, 1) > 0) asked = true;
    if (asked) EndWhenIdle(60);
  });
  struct sigaction action = {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGUSR1, &action, nullptr);
}

void TIdleReturn::Check() {
  const qint64 idle = IdleMilliseconds();
  const bool returnDue = IdleMs > 0 && Armed && idle >= IdleMs;
  if (EndAfterQuietMs >= 0 && (returnDue || idle >= EndAfterQuietMs)) {
    Poll->stop();
    QCoreApplication::exit(kExitForNewExhibition);
    return;
  }
  if (!returnDue) return;
  Armed = false;
  ++ReturnCount;
  if (TourIsRunning()) return;
  std::fprintf(stderr, "pinacora: back to the tour after %d s without visitors\n", IdleMs / 1000);
  ReturnToTour();
}

bool TIdleReturn::TourIsRunning() {
  if (FormMain == nullptr || !FormMain->AutoPlayOn || VisitorWindowsOpen()) return false;
  // A playlist without a sound it can make has nothing to play.
  return FormPlaylist == nullptr || FormPlaylist->GetCurrentSound() == nullptr || FormPlaylist->IsPlaying();
}

void TIdleReturn::ReturnToTour() {
  CloseMenusAndDialogs();
  if (FormMediaPlayer != nullptr) {
    FormMediaPlayer->CloseMovie();
    FormMediaPlayer->ShowTool(false);
  }
  if (FormTextViewer != nullptr) FormTextViewer->ShowTool(false);
  if (FormTreeView != nullptr) FormTreeView->ShowTool(false);
  if (FormPlaylist != nullptr) FormPlaylist->ShowTool(false);
  // As at start-up: every sound checked, a random flight, then the first piece at once. A modal
  // dialog closed above returns from its loop first, so this runs after it.
  QTimer::singleShot(0, qApp, [] {
    if (FormMain == nullptr) return;
    FormMain->SetAutoPlay(true);
    if (FormPlaylist != nullptr) FormPlaylist->PlayNext();
  });
}
