#include "tformmediaplayer.h"

#include <QFile>
#include <QHideEvent>
#include <QLabel>
#include <QPalette>
#include <QStyle>

#include "common/showtool.h"
#include "movie/movieprocess.h"
#include "ui_tformmediaplayer.h"

namespace {
// The seek slider counts in tenths of a second, so that a long movie still fits an int.
constexpr qint64 kSliderStepMs = 100;
}  // namespace

TFormMediaPlayer::TFormMediaPlayer(QWidget* parent)
    : QWidget(parent, Qt::Tool), ui(std::make_unique<Ui::FormMediaPlayer>()) {
  ui->setupUi(this);
  setFixedSize(320, 300);
  createScreen();
  createControls();
  connectSeekSlider();
}

TFormMediaPlayer::~TFormMediaPlayer() { FormDestroy(); }

void TFormMediaPlayer::createScreen() {
  // A black screen, as in a cinema. It is a window of its own for the X server, so that the
  // player process can put its picture inside it; the player keeps the picture at its own size
  // when it fits and scales it down with its aspect kept when not.
  QPalette black = ui->VideoScreen->palette();
  black.setColor(QPalette::Window, Qt::black);
  black.setColor(QPalette::WindowText, Qt::white);
  ui->VideoScreen->setPalette(black);
  ui->VideoScreen->setAutoFillBackground(true);
  ui->VideoScreen->setAttribute(Qt::WA_NativeWindow);
  LabelCannotPlay = new QLabel(QStringLiteral("Impossibile riprodurre il filmato"), ui->VideoScreen);
  LabelCannotPlay->setObjectName(QStringLiteral("LabelCannotPlay"));
  LabelCannotPlay->setAlignment(Qt::AlignCenter);
  LabelCannotPlay->setWordWrap(true);
  LabelCannotPlay->setGeometry(ui->VideoScreen->rect().adjusted(8, 8, -8, -8));
  LabelCannotPlay->hide();
  Player = new TMovieProcess(this);
  // Queued: the player's news arrive from inside its own reading, which must finish first.
  connect(Player, &TMovieProcess::Failed, this, &TFormMediaPlayer::PlayerFailed, Qt::QueuedConnection);
}

void TFormMediaPlayer::createControls() {
  ui->ButtonPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  ui->ButtonPause->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
  ui->ButtonStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
  connect(ui->ButtonPlay, &QToolButton::clicked, this, &TFormMediaPlayer::ButtonPlayClick);
  connect(ui->ButtonPause, &QToolButton::clicked, this, &TFormMediaPlayer::ButtonPauseClick);
  connect(ui->ButtonStop, &QToolButton::clicked, this, &TFormMediaPlayer::ButtonStopClick);
}

void TFormMediaPlayer::connectSeekSlider() {
  ui->SliderSeek->setRange(0, 0);
  // Dragging, clicking the groove and the keys all end up as slider actions.
  connect(ui->SliderSeek, &QSlider::actionTriggered, this, &TFormMediaPlayer::SliderSeekAction);
  connect(Player, &TMovieProcess::PositionChanged, this, &TFormMediaPlayer::PlayerPositionChanged);
  connect(Player, &TMovieProcess::DurationChanged, this, &TFormMediaPlayer::PlayerDurationChanged);
}

void TFormMediaPlayer::ShowTool(bool show) { ::ShowTool(this, show); }

void TFormMediaPlayer::PlayMovie(const std::string& path) {
  if (path.empty()) return;
  MoviePath = QFile::decodeName(QByteArray::fromStdString(path));
  StartPlayer();
}

void TFormMediaPlayer::StartPlayer() {
  LabelCannotPlay->hide();
  // The screen's window is asked for now: it is made anew when the window changes parent.
  Player->Start(MoviePath, ui->VideoScreen->winId(), ui->VideoScreen->size());
}

void TFormMediaPlayer::ButtonPlayClick() {
  if (MoviePath.isEmpty()) return;
  if (!Player->IsRunning()) {
    StartPlayer();  // after a failure: one more try, in a new player
  } else if (Player->Status() == QMediaPlayer::EndOfMedia) {
    Player->Send("replay");
  } else {
    Player->Send("play");
  }
}

void TFormMediaPlayer::ButtonPauseClick() { Player->Send("pause"); }

void TFormMediaPlayer::ButtonStopClick() { Player->Send("stop"); }

void TFormMediaPlayer::CloseMovie() {
  Player->End();
  MoviePath.clear();
  LabelCannotPlay->hide();
  ui->SliderSeek->setRange(0, 0);
}

void TFormMediaPlayer::PlayerFailed(quint64 run) {
  // News of a player that was closed or replaced meanwhile concern nobody.
  if (MoviePath.isEmpty() || run != Player->Run()) return;
  // Whatever is left of the player goes; the window says so, without a dialog.
  Player->End();
  LabelCannotPlay->show();
  LabelCannotPlay->raise();
}

void TFormMediaPlayer::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A window manager's minimise is not a hide of ours: only hide() closes the movie.
  if (!event->spontaneous()) FormHide();
}

void TFormMediaPlayer::FormHide() { CloseMovie(); }

void TFormMediaPlayer::FormDestroy() { CloseMovie(); }

void TFormMediaPlayer::SliderSeekAction(int /*action*/) {
  Player->Send("seek " + QByteArray::number(static_cast<qint64>(ui->SliderSeek->sliderPosition()) * kSliderStepMs));
}

void TFormMediaPlayer::PlayerPositionChanged(qint64 position) {
  if (!ui->SliderSeek->isSliderDown())
    ui->SliderSeek->setValue(static_cast<int>(position / kSliderStepMs));
}

void TFormMediaPlayer::PlayerDurationChanged(qint64 duration) {
  ui->SliderSeek->setRange(0, static_cast<int>(qMax<qint64>(0, duration) / kSliderStepMs));
}

QMediaPlayer::State TFormMediaPlayer::State() const { return Player->State(); }
QMediaPlayer::MediaStatus TFormMediaPlayer::Status() const { return Player->Status(); }
qint64 TFormMediaPlayer::Position() const { return Player->Position(); }
qint64 TFormMediaPlayer::Duration() const { return Player->Duration(); }
int TFormMediaPlayer::Volume() const { return Player->Volume(); }
QRect TFormMediaPlayer::Picture() const { return Player->Picture(); }
qint64 TFormMediaPlayer::PlayerProcessId() const { return Player->ProcessId(); }
bool TFormMediaPlayer::SaysCannotPlay() const { return !LabelCannotPlay->isHidden(); }
