// The program's start-up as the benchmarks take it: the application object, the viewer binding
// and the main window's own steps up to the viewer window on the exhibition, placed but not yet
// shown and with its scene not yet loaded (each benchmark times those steps its own way).
#pragma once

#include <QApplication>
#include <QWidget>
#include <Inventor/Qt/SoQt.h>
#include <Inventor/nodes/SoSeparator.h>
#include <functional>
#include <memory>
#include <string>

#include "app/tformmain.h"
#include "viewer/tformviewer.h"

namespace bench {

class TProgram {
 public:
  // The node probe makes, when given, goes into the viewer's scene (a frame counter, say); it is
  // made once the scene library is ready.
  TProgram(int argc, char** argv, const std::string& file, const std::function<SoNode*()>& probe = {})
      : Argc(argc), Application(Argc, argv) {
    SoQt::init(&Top);
    Main = std::make_unique<TFormMain>();
    Main->hide();
    Main->OpenExhibition(file);
    Viewer = Main->CreateViewer();
    Main->connectWindows();
    Viewer->setGeometry(0, 0, 1280, 1024);
    if (probe) Viewer->SceneRoot->addChild(probe());
  }
  ~TProgram() { Main.reset(); }

  TFormMain& Window() { return *Main; }
  TFormViewer* View() { return Viewer; }

 private:
  int Argc;
  QApplication Application;
  QWidget Top;
  std::unique_ptr<TFormMain> Main;
  TFormViewer* Viewer = nullptr;
};

}  // namespace bench
