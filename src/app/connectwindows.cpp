// Who hears whom: the one place where the windows are connected to each other. Every connection
// is direct, so a window's report is handled inside the call that made it, in the order the
// receivers are connected here, as if the sender had called them itself.
#include <QString>
#include <Inventor/SbLinear.h>
#include <Inventor/nodes/SoSelection.h>

#include "common/globals.h"
#include "tformmain.h"
#include "sound/tformplaylist.h"
#include "tools/tformdebug.h"
#include "tools/tformutils.h"
#include "viewer/tformviewer.h"
#include "windows/tformmediaplayer.h"
#include "windows/tformtextviewer.h"
#include "windows/tformtreeview.h"

void TFormMain::connectWindows() {
  constexpr Qt::ConnectionType kDirect = Qt::DirectConnection;
  TFormViewer* viewer = FormViewer;
  if (viewer != nullptr) {
    // A pick: the debug log notes the point, the utility window takes the node, and a newly picked
    // work moves the browser and the status line.
    TFormDebug* debug = FormDebug;
    if (debug != nullptr) {
      connect(viewer, &TFormViewer::PointPicked, debug, [debug](std::uint16_t x, std::uint16_t y, const SbVec3f& point) {
        if (!debug->isVisible()) return;
        debug->AppendLine(QString::asprintf("Mouse XY: %d,%d  World XYZ: %6.3f, %6.3f, %6.3f", int(x), int(y),
                                            double(point[0]), double(point[1]), double(point[2])));
      }, kDirect);
      connect(viewer, &TFormViewer::MarkerDrawn, debug, [debug](const QString& line) {
        debug->AppendLine(line);
        debug->ShowTool(true);
      }, kDirect);
    }
    TFormUtils* utils = FormUtils;
    if (utils != nullptr) {
      connect(viewer, &TFormViewer::NodePicked, utils, [utils](SoNode* node) {
        if (utils->isVisible()) utils->SetHeldNode(node);
      }, kDirect);
      utils->SetSceneToSave(viewer->SelectionNode);
    }
    connect(viewer, &TFormViewer::WorkPicked, this, [this, viewer](std::int32_t Id) { OperaSelected(viewer, Id); },
            kDirect);
  }

  // The browser: a chosen opera moves the view and the status line; opening a note or a movie
  // silences the background sound first.
  TFormTreeView* treeView = FormTreeView;
  if (treeView != nullptr) {
    treeView->SetContentWindows(FormTextViewer, FormMediaPlayer);
    connect(treeView, &TFormTreeView::OperaChosen, this, [this, treeView](std::int32_t Id) {
      OperaSelected(treeView, Id);
    }, kDirect);
    if (FormPlaylist != nullptr)
      connect(treeView, &TFormTreeView::ContentOpening, FormPlaylist, &TFormPlaylist::DeselectAll, kDirect);
  }

  // The playlist names each sound it moves to in the status line.
  if (FormPlaylist != nullptr)
    connect(FormPlaylist, &TFormPlaylist::SoundStarted, this, &TFormMain::ShowBackgroundSound, kDirect);
}
