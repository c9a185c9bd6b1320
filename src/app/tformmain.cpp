#include "tformmain.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <Inventor/Qt/SoQt.h>
#include <cstdlib>
#include <optional>

#include "common/dialogs.h"
#include "common/globals.h"
#include "memorytrim.h"
#include "common/showtool.h"
#include "windows/tdlgabout.h"
#include "common/texts.h"
#include "tools/tformdebug.h"
#include "windows/tformmediaplayer.h"
#include "sound/tformplaylist.h"
#include "windows/tformtextviewer.h"
#include "windows/tformtreeview.h"
#include "tools/tformutils.h"
#include "viewer/tformviewer.h"

const QString TFormMain::TitleLine = ProgramTitleLine();

namespace {
const char* const kDataFileName = "kddata.bin";
const QString kResolutionCaption = QStringLiteral(" Pinacora :  Errore di inizializzazione");
const QString kResolutionText = QStringLiteral(
    "\nErrore nell'impostazione della risoluzione grafica :\n"
    "Impostare la risoluzione grafica ad almeno 1024x768 pixels      \n\nPremere un tasto per uscire ...");
}  // namespace

TFormMain::TFormMain(QWidget* parent)
    : QMainWindow(parent),
      PicAdRotator(TitleLine + QString(50, ' ')),
      SndAdRotator(TitleLine + QString(50, ' ')) {
  FormMain = this;
  setObjectName("FormMain");
  resize(500, 400);
  move(400, 214);
  setMinimumSize(500, 400);
  createMenus();
  createStatusBar();
  createTimers();
  FormViewer = nullptr;
  CheckResolution();
}

TFormMain::~TFormMain() {
  // FormDestroy: the rotators stop; the windows go before the banker they read from.
  TimerSndAdRotator->stop();
  TimerPicAdRotator->stop();
  delete Viewer.data();
}

void TFormMain::CheckResolution() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize size = screen != nullptr ? screen->geometry().size() : QSize();
  if (size.width() >= 1024 && size.height() >= 768) return;
  Dialogs::ShowMessage(kResolutionCaption, kResolutionText, QMessageBox::Warning);
  std::exit(-1);
}

void TFormMain::createMenus() {
  QMenu* file1 = menuBar()->addMenu(QStringLiteral("&File"));
  file1->setObjectName("File1");
  QAction* fileExit = file1->addAction(QStringLiteral("&Exit"), this, &TFormMain::FileExitClick);
  fileExit->setObjectName("FileExit");

  QMenu* view1 = menuBar()->addMenu(QStringLiteral("&View"));
  view1->setObjectName("View1");
  view1->addAction(QStringLiteral("&Operas"), this, &TFormMain::ViewTreeViewClick)->setObjectName("ViewTreeView");
  view1->addAction(QStringLiteral("&PlayList"), this, &TFormMain::ViewPlaylistClick)->setObjectName("ViewPlaylist");

  QMenu* options1 = menuBar()->addMenu(QStringLiteral("&Options"));
  options1->setObjectName("Options1");
  MenuAutoPlay = options1->addAction(QStringLiteral("&AutoPlay"), this, &TFormMain::MenuAutoPlayClick);
  MenuAutoPlay->setObjectName("MenuAutoPlay");
  MenuAutoPlay->setCheckable(true);

  QMenu* help1 = menuBar()->addMenu(QStringLiteral("&Help"));
  help1->setObjectName("Help1");
  help1->addAction(QStringLiteral("&About ..."), this, &TFormMain::HelpAboutClick)->setObjectName("HelpAbout");

  // The developers' menu is never shown; its handlers stay reachable for them.
  Debug2 = menuBar()->addMenu(QStringLiteral("&Debug"));
  Debug2->setObjectName("Debug2");
  Debug2->addAction(QStringLiteral("&Text Viewer"), this, &TFormMain::TextViewer1Click)->setObjectName("TextViewer1");
  Debug2->addAction(QStringLiteral("&Media Player"), this, &TFormMain::MediaPlayer1Click)->setObjectName("MediaPlayer1");
  Debug2->addSeparator()->setObjectName("N1");
  Debug2->addAction(QStringLiteral("&Utils"), this, &TFormMain::Utils1Click)->setObjectName("Utils1");
  Debug2->addAction(QStringLiteral("&Debug"), this, &TFormMain::Debug1Click)->setObjectName("Debug1");
  Debug2->addSeparator()->setObjectName("N2");
  Debug2->addAction(QStringLiteral("Draw &Normals"), this, &TFormMain::DrawNormals1Click)->setObjectName("DrawNormals1");
  Debug2->addAction(QStringLiteral("Draw &Centers"), this, &TFormMain::DrawCenters1Click)->setObjectName("DrawCenters1");
  Debug2->menuAction()->setVisible(false);
}

void TFormMain::createStatusBar() {
  StatusBar = statusBar();
  StatusBar->setObjectName("StatusBar");
  StatusBar->setSizeGripEnabled(false);
  StatusBar->setFixedHeight(19);
  StatusBar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
  QFont font(QStringLiteral("Times New Roman"));
  font.setPixelSize(13);
  font.setBold(true);
  font.setItalic(true);
  QPalette palette = StatusBar->palette();
  palette.setColor(QPalette::WindowText, Qt::blue);
  auto makePanel = [&](int width) {
    auto* panel = new QLabel(StatusBar);
    panel->setFont(font);
    panel->setPalette(palette);
    panel->setFixedWidth(width);
    panel->setTextFormat(Qt::PlainText);
    StatusBar->addWidget(panel);
    return panel;
  };
  StatusPanel0 = makePanel(600);
  StatusPanel1 = makePanel(400);
}

void TFormMain::createTimers() {
  TimerSndAdRotator = new QTimer(this);
  TimerSndAdRotator->setInterval(250);
  connect(TimerSndAdRotator, &QTimer::timeout, this, &TFormMain::TimerSndAdRotatorTimer);
  TimerSndAdRotator->start();

  TimerPicAdRotator = new QTimer(this);
  TimerPicAdRotator->setInterval(300);
  connect(TimerPicAdRotator, &QTimer::timeout, this, &TFormMain::TimerPicAdRotatorTimer);
  TimerPicAdRotator->start();

  TimerAutoplay = new QTimer(this);
  TimerAutoplay->setInterval(20000);
  connect(TimerAutoplay, &QTimer::timeout, this, &TFormMain::TimerAutoplayTimer);

  new TMemoryTrim(this);
}

void TFormMain::FormCreate() {
  setGeometry(10, 10, 640, 400);
  setWindowTitle(TitleLine);
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  coverScreen();

  SoQt::init(this);

  OpenExhibition(kDataFileName);
  CreateViewer();
  FormCanResize();
  FormViewer->show();
  createToolWindows();
  connectWindows();
  StartExhibition();

  // Whatever start-up did (a flight or none), the view is drawn over the final client area.
  FormCanResize();
  FormViewer->RedrawView();
}

// Maximised, with or without a window manager: without one, showMaximized() alone leaves the
// window where it was, so the available geometry is set as well.
void TFormMain::coverScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) setGeometry(screen->availableGeometry());
  showMaximized();
}

void TFormMain::OpenExhibition(const std::string& fileName) {
  Banker = std::make_unique<TDataBanker>(fileName);
  DataBanker = Banker.get();
  OperaList.clear();
  DataBanker->ListOperas(OperaList);
}

TFormViewer* TFormMain::CreateViewer() {
  auto* viewer = new TFormViewer(this);
  FormViewer = viewer;
  Viewer = viewer;
  viewer->SetBanker(Banker.get());
  // Dialogs open above the view.
  Dialogs::SetOwner(viewer);
  return viewer;
}

namespace {
// A tool window just made: named by its global, then made a child of the viewer at position
// (or at its own), hidden.
template <typename TWindow>
void AddToolWindow(TWindow* window, TWindow*& global, QWidget* viewer, const std::optional<QPoint>& position = {}) {
  global = window;
  if (position)
    PlaceToolWindow(window, viewer, *position);
  else
    PlaceToolWindow(window, viewer);
  window->hide();
}
}  // namespace

void TFormMain::createToolWindows(unsigned which) {
  if ((which & DebugWindow) != 0) AddToolWindow(new TFormDebug(), FormDebug, FormViewer);
  if ((which & UtilsWindow) != 0) AddToolWindow(new TFormUtils(), FormUtils, FormViewer);
  if ((which & TextViewerWindow) != 0)
    AddToolWindow(new TFormTextViewer(), FormTextViewer, FormViewer, QPoint(696, 400));
  if ((which & MediaPlayerWindow) != 0)
    AddToolWindow(new TFormMediaPlayer(), FormMediaPlayer, FormViewer, QPoint(688, 392));
  if ((which & TreeViewWindow) != 0)
    AddToolWindow(new TFormTreeView(Banker.get()), FormTreeView, FormViewer, QPoint(4, 564));
  if ((which & PlaylistWindow) != 0) AddToolWindow(new TFormPlaylist(Banker.get()), FormPlaylist, FormViewer);
}

void TFormMain::StartExhibition() {
  FormViewer->LoadModels();
  if (FormPlaylist != nullptr) FormPlaylist->SelectAll();
  SetAutoPlay(true);
  if (FormPlaylist != nullptr) FormPlaylist->PlayNext();
}

void TFormMain::FormCanResize() {
  if (FormViewer == nullptr) return;
  const int menuHeight = menuBar()->isVisible() ? menuBar()->height() : 0;
  const QRect client = geometry();
  FormViewer->setGeometry(client.left(), client.top() + menuHeight, client.width(),
                          client.height() - menuHeight - StatusBar->height());
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormCanResize();
}

void TFormMain::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  FormCanResize();
}

// ---- menus

void TFormMain::FileExitClick() { QCoreApplication::quit(); }

void TFormMain::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  FileExitClick();
}

void TFormMain::ViewTreeViewClick() {
  SetAutoPlay(false);
  if (FormPlaylist != nullptr) FormPlaylist->ShowTool(false);
  if (FormTreeView != nullptr) FormTreeView->ShowTool(!FormTreeView->isVisible());
}

void TFormMain::ViewPlaylistClick() {
  SetAutoPlay(false);
  if (FormTreeView != nullptr) FormTreeView->ShowTool(false);
  SndAdRotator.SetText(TitleLine + QString(50, ' '));
  if (FormPlaylist != nullptr) FormPlaylist->ShowTool(!FormPlaylist->isVisible());
}

void TFormMain::MenuAutoPlayClick() { SetAutoPlay(MenuAutoPlay->isChecked()); }

void TFormMain::HelpAboutClick() {
  SetAutoPlay(false);
  if (FormPlaylist != nullptr) {
    FormPlaylist->DeselectAll();
    FormPlaylist->ShowTool(false);
  }
  if (FormMediaPlayer != nullptr) FormMediaPlayer->ShowTool(false);
  if (FormTreeView != nullptr) FormTreeView->ShowTool(false);
  // Transient for the view, so that it opens above it; it goes when it closes.
  QWidget* owner = Dialogs::Owner();
  TDlgAbout about(owner != nullptr ? owner : this);
  about.exec();
}

void TFormMain::TextViewer1Click() {
  if (FormTextViewer != nullptr) FormTextViewer->ShowTool(!FormTextViewer->isVisible());
}

void TFormMain::MediaPlayer1Click() {
  if (FormMediaPlayer != nullptr) FormMediaPlayer->ShowTool(!FormMediaPlayer->isVisible());
}

void TFormMain::Utils1Click() {
  if (FormUtils != nullptr) FormUtils->ShowTool(!FormUtils->isVisible());
}

void TFormMain::Debug1Click() {
  if (FormDebug != nullptr) FormDebug->ShowTool(!FormDebug->isVisible());
}

void TFormMain::DrawNormals1Click() {
  if (FormViewer == nullptr) return;
  for (const TagInfo& opera : OperaList) FormViewer->DrawNormal(opera.Id);
}

void TFormMain::DrawCenters1Click() {
  if (FormViewer == nullptr) return;
  for (const TagInfo& opera : OperaList) FormViewer->DrawCenter(opera.Id);
}
