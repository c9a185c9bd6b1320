#include "tformmediaplayer.h"

#include <QFile>
#include <QHideEvent>
#include <QMediaContent>
#include <QMediaPlayer>
#include <QPalette>
#include <QStyle>
#include <QUrl>
#include <QVideoWidget>

#include "nativesizelayout.h"
#include "common/showtool.h"
#include "ui_tformmediaplayer.h"

namespace {
constexpr int kVolume = 50;
// The seek slider counts in tenths of a second, so that a long movie still fits an int.
constexpr qint64 kSliderStepMs = 100;
}  // namespace

TFormMediaPlayer::TFormMediaPlayer(QWidget* parent)
    : QWidget(parent, Qt::Tool), ui(std::make_unique<Ui::FormMediaPlayer>()) {
  ui->setupUi(this);
  setFixedSize(320, 300);
  createPlayer();
  createControls();
  connectSeekSlider();
}

TFormMediaPlayer::~TFormMediaPlayer() { FormDestroy(); }

void TFormMediaPlayer::createPlayer() {
  MediaPlayer = new QMediaPlayer(this, QMediaPlayer::VideoSurface);
  ui->VideoWidget->setAspectRatioMode(Qt::KeepAspectRatio);
  // The picture sits on a black screen of the video area's size, as in a cinema: at its own size
  // when it fits, scaled down with its aspect kept when it does not, never enlarged.
  QPalette black = ui->VideoWidget->palette();
  black.setColor(QPalette::Window, Qt::black);
  auto* screen = new QWidget(this);
  screen->setObjectName(QStringLiteral("VideoScreen"));
  screen->setGeometry(ui->VideoWidget->geometry());
  screen->setPalette(black);
  screen->setAutoFillBackground(true);
  auto* placement = new TNativeSizeLayout(screen);
  ui->VideoWidget->setParent(screen);
  placement->addWidget(ui->VideoWidget);
  ui->VideoWidget->setPalette(black);
  ui->VideoWidget->setAutoFillBackground(true);
  MediaPlayer->setVideoOutput(ui->VideoWidget);
  MediaPlayer->setVolume(kVolume);
  MediaPlayer->setMuted(false);
  MediaPlayer->setPlaybackRate(1.0);
  // A movie that cannot be played leaves the window idle: no error is shown or reported.
}

void TFormMediaPlayer::createControls() {
  ui->ButtonPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  ui->ButtonPause->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
  ui->ButtonStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
  connect(ui->ButtonPlay, &QToolButton::clicked, this, &TFormMediaPlayer::ButtonPlayClick);
  connect(ui->ButtonPause, &QToolButton::clicked, MediaPlayer, &QMediaPlayer::pause);
  connect(ui->ButtonStop, &QToolButton::clicked, MediaPlayer, &QMediaPlayer::stop);
}

void TFormMediaPlayer::connectSeekSlider() {
  ui->SliderSeek->setRange(0, 0);
  // Dragging, clicking the groove and the keys all end up as slider actions.
  connect(ui->SliderSeek, &QSlider::actionTriggered, this, &TFormMediaPlayer::SliderSeekAction);
  connect(MediaPlayer, &QMediaPlayer::positionChanged, this,
          &TFormMediaPlayer::PlayerPositionChanged);
  connect(MediaPlayer, &QMediaPlayer::durationChanged, this,
          &TFormMediaPlayer::PlayerDurationChanged);
}

void TFormMediaPlayer::ShowTool(bool show) { ::ShowTool(this, show); }

void TFormMediaPlayer::PlayMovie(const std::string& path) {
  if (path.empty()) return;
  const QString file = QFile::decodeName(QByteArray::fromStdString(path));
  MediaPlayer->setMedia(QUrl::fromLocalFile(file));
  MediaPlayer->play();
}

void TFormMediaPlayer::ButtonPlayClick() {
  // At the end of a movie the player only rewinds to a black picture on play; opening the same
  // file again plays it from its start.
  if (MediaPlayer->mediaStatus() == QMediaPlayer::EndOfMedia) {
    const QMediaContent movie = MediaPlayer->media();
    MediaPlayer->setMedia(QMediaContent());
    MediaPlayer->setMedia(movie);
  }
  MediaPlayer->play();
}

void TFormMediaPlayer::CloseMovie() {
  MediaPlayer->stop();
  // An empty medium makes the player let go of the file.
  MediaPlayer->setMedia(QMediaContent());
  ui->SliderSeek->setRange(0, 0);
}

void TFormMediaPlayer::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A window manager's minimise is not a hide of ours: only hide() closes the movie.
  if (!event->spontaneous()) FormHide();
}

void TFormMediaPlayer::FormHide() { CloseMovie(); }

void TFormMediaPlayer::FormDestroy() { CloseMovie(); }

void TFormMediaPlayer::SliderSeekAction(int /*action*/) {
  MediaPlayer->setPosition(static_cast<qint64>(ui->SliderSeek->sliderPosition()) * kSliderStepMs);
}

void TFormMediaPlayer::PlayerPositionChanged(qint64 position) {
  if (!ui->SliderSeek->isSliderDown())
    ui->SliderSeek->setValue(static_cast<int>(position / kSliderStepMs));
}

void TFormMediaPlayer::PlayerDurationChanged(qint64 duration) {
  ui->SliderSeek->setRange(0, static_cast<int>(qMax<qint64>(0, duration) / kSliderStepMs));
}
