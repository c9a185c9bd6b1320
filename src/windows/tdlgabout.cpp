#include "tdlgabout.h"

#include <QFile>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <limits>

#include "ui_tdlgabout.h"

// The credits and the music are compiled into the program from the build tree.
static void InitAboutResources() { Q_INIT_RESOURCE(about); }

namespace {
const char* const kCreditsResource = ":/about/credits.png";
const char* const kMusicResource = ":/about/music.wav";
constexpr int kTimerInterval = 40;
}  // namespace

TDlgAbout::TDlgAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::DlgAbout>()) {
  InitAboutResources();
  ui->setupUi(this);
  setFixedSize(332, 286);
  setModal(true);
  connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  placeOnScreen();
  createTimer();
}

TDlgAbout::~TDlgAbout() = default;

void TDlgAbout::createTimer() {
  Timer = new QTimer(this);
  Timer->setInterval(kTimerInterval);
  connect(Timer, &QTimer::timeout, this, &TDlgAbout::TimerTimer);
  Timer->start();
}

void TDlgAbout::placeOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame(QPoint(0, 0), size());
  frame.moveCenter(screen->geometry().center());
  move(frame.topLeft());
}

QImage TDlgAbout::LoadCreditsResource() {
  InitAboutResources();
  return QImage(QString::fromLatin1(kCreditsResource));
}

QByteArray TDlgAbout::LoadMusicResource() {
  InitAboutResources();
  QFile file(QString::fromLatin1(kMusicResource));
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

void TDlgAbout::SetCreditsImage(const QImage& image) { InjectedCredits = image; }

bool TDlgAbout::TimerActive() const { return Timer->isActive(); }

void TDlgAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TDlgAbout::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) FormHide();
}

void TDlgAbout::FormShow() {
  CreditsImage = std::make_unique<QImage>(InjectedCredits.isNull() ? LoadCreditsResource()
                                                                    : InjectedCredits);
  // The music plays once; a missing device leaves the dialog silent.
  AboutMusic.Start(LoadMusicResource());
  Timer->start();
}

void TDlgAbout::FormHide() { AboutMusic.Stop(); }

void TDlgAbout::TimerTimer() {
  // The count stops at its largest value: the dialog made at start-up, never shown, ticks for as
  // long as the program runs.
  if (TickCount < std::numeric_limits<std::int32_t>::max()) ++TickCount;
  if (!CreditsImage || !Timer->isActive()) return;

  const QRect bevel = ui->Bevel->geometry();
  QRect source(0, 0, bevel.width(), bevel.height());
  if (TickCount > ScrollDelay) {
    const int d = TickCount - ScrollDelay;
    source.translate(0, d);
    // The bottom edge of the credits has gone by: stay on the last frame.
    if (CreditsImage->height() < source.top() + source.height()) {
      Timer->stop();
      return;
    }
  }
  SourceRect = source;
  update(bevel);
}

void TDlgAbout::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TDlgAbout::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (!CreditsImage || SourceRect.isEmpty()) return;
  QPainter painter(this);
  painter.drawImage(ui->Bevel->geometry(), *CreditsImage, SourceRect);
}
