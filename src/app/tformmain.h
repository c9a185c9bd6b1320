// The main window: start-up of every other window, the menus, the status bar, the random pick,
// and (autoplay.cpp) the rotators and the autoplay mode.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "data/tdatabanker.h"
#include "tstringrotator.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;
class TFormViewer;

class TFormMain : public QMainWindow {
  Q_OBJECT
 public:
  static const QString TitleLine;  // two spaces and the application's title text

  // Builds the window and checks the screen (a screen below 1024 x 768 ends the process).
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // The start-up sequence: banker, opera list, viewer, tool windows, scene, autoplay, sound.
  void FormCreate();

  // The steps of the start-up sequence after the window itself is set up, which the tests and
  // the benchmarks take as the program does. OpenExhibition makes the banker on fileName and
  // lists the operas; CreateViewer makes the viewer window (not yet placed or shown);
  // createToolWindows makes the tool windows asked for, in their order, hidden inside the viewer;
  // connectWindows lets the windows made so far hear each other; StartExhibition loads the scene,
  // checks all sounds, switches autoplay on and starts the first sound.
  enum ToolWindow : unsigned {
    DebugWindow = 1u << 0,
    UtilsWindow = 1u << 1,
    TextViewerWindow = 1u << 2,
    MediaPlayerWindow = 1u << 3,
    TreeViewWindow = 1u << 4,
    PlaylistWindow = 1u << 5,
    AllToolWindows = (1u << 6) - 1,
  };
  void OpenExhibition(const std::string& fileName);
  TFormViewer* CreateViewer();
  void createToolWindows(unsigned which = AllToolWindows);
  void connectWindows();
  void StartExhibition();
  // Keeps the viewer over the client area, below the menu bar and above the status bar.
  void FormCanResize();

  // Rotators and autoplay.
  void ShowOperaName(std::int32_t Id);
  void ShowBackgroundSound(const std::string& name);
  void OperaSelected(QObject* source, std::int32_t Id);
  void SetAutoPlay(bool on);
  void GotoRandomOpera();

  // Timer handlers.
  void TimerPicAdRotatorTimer();
  void TimerSndAdRotatorTimer();
  void TimerAutoplayTimer();

  // Menu handlers.
  void FileExitClick();
  void ViewTreeViewClick();
  void ViewPlaylistClick();
  void MenuAutoPlayClick();
  void HelpAboutClick();
  void TextViewer1Click();
  void MediaPlayer1Click();
  void Utils1Click();
  void Debug1Click();
  void DrawNormals1Click();
  void DrawCenters1Click();

  bool AutoPlayOn = false;
  TVecInfos OperaList;
  std::int32_t CurrentOpera = -1;
  TStringRotator PicAdRotator;
  TStringRotator SndAdRotator;

  QStatusBar* StatusBar = nullptr;
  QLabel* StatusPanel0 = nullptr;
  QLabel* StatusPanel1 = nullptr;
  QAction* MenuAutoPlay = nullptr;
  QMenu* Debug2 = nullptr;
  QTimer* TimerSndAdRotator = nullptr;
  QTimer* TimerPicAdRotator = nullptr;
  QTimer* TimerAutoplay = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  // Closing the main window ends the program, as "&Exit" does.
  void closeEvent(QCloseEvent* event) override;

 private:
  static void CheckResolution();
  void createMenus();
  void createStatusBar();
  void createTimers();
  void coverScreen();

  std::unique_ptr<TDataBanker> Banker;
  QPointer<QWidget> Viewer;
};
