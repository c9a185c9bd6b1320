#include "tformmediaplayer.h"

#include <QFile>
#include <QHideEvent>
#include <QMediaPlayer>
#include <QPalette>
#include <QStyle>
#include <QUrl>
#include <QVideoWidget>

#include "movie/movieplayback.h"
#include "nativesizelayout.h"
#include "common/showtool.h"
#include "ui_tformmediaplayer.h"

namespace {
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

TFormMediaPlayer::~TFormMediaPlayer() {
  FormDestroy();
  // The playback goes before the video widget it draws on.
  delete Playback;
}

void TFormMediaPlayer::createPlayer() {
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
  // Every movie gets a player of its own; a movie that cannot be played leaves the window idle:
  // no error is shown or reported.
  Playback = new TMoviePlayback(ui->VideoWidget, this);
}

void TFormMediaPlayer::createControls() {
  ui->ButtonPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
  ui->ButtonPause->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
  ui->ButtonStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
  connect(ui->ButtonPlay, &QToolButton::clicked, this, &TFormMediaPlayer::ButtonPlayClick);
  connect(ui->ButtonPause, &QToolButton::clicked, Playback, &TMoviePlayback::Pause);
  connect(ui->ButtonStop, &QToolButton::clicked, Playback, &TMoviePlayback::Stop);
}

void TFormMediaPlayer::connectSeekSlider() {
  ui->SliderSeek->setRange(0, 0);
  // Dragging, clicking the groove and the keys all end up as slider actions.
  connect(ui->SliderSeek, &QSlider::actionTriggered, this, &TFormMediaPlayer::SliderSeekAction);
  connect(Playback, &TMoviePlayback::PositionChanged, this, &TFormMediaPlayer::PlayerPositionChanged);
  connect(Playback, &TMoviePlayback::DurationChanged, this, &TFormMediaPlayer::PlayerDurationChanged);
}

void TFormMediaPlayer::ShowTool(bool show) { ::ShowTool(this, show); }

QMediaPlayer* TFormMediaPlayer::Player() const { return Playback->Player(); }

void TFormMediaPlayer::PlayMovie(const std::string& path) {
  if (path.empty()) return;
  Playback->Open(QFile::decodeName(QByteArray::fromStdString(path)));
}

void TFormMediaPlayer::ButtonPlayClick() { Playback->Play(); }

void TFormMediaPlayer::CloseMovie() {
  Playback->Close();
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
  Playback->Seek(static_cast<qint64>(ui->SliderSeek->sliderPosition()) * kSliderStepMs);
}

void TFormMediaPlayer::PlayerPositionChanged(qint64 position) {
  if (!ui->SliderSeek->isSliderDown())
    ui->SliderSeek->setValue(static_cast<int>(position / kSliderStepMs));
}

void TFormMediaPlayer::PlayerDurationChanged(qint64 duration) {
  ui->SliderSeek->setRange(0, static_cast<int>(qMax<qint64>(0, duration) / kSliderStepMs));
}
