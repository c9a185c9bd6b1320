#include "textureupload.h"

#include <QGLWidget>
#include <Inventor/Qt/viewers/SoQtExaminerViewer.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/actions/SoGLRenderAction.h>

#include "texturequality.h"

TTextureUpload::TTextureUpload(SoQtExaminerViewer* viewer) : Viewer(viewer) {}

TTextureUpload::~TTextureUpload() = default;

void TTextureUpload::Upload(SoTexture2* texture) {
  if (Viewer == nullptr || texture == nullptr) return;
  auto* area = qobject_cast<QGLWidget*>(Viewer->getGLWidget());
  // The view's textures belong to its cache context, which it has once it is on screen.
  if (area == nullptr || !area->isVisible() || !area->isValid()) return;
  const SoGLRenderAction* view = Viewer->getGLRenderAction();
  if (view == nullptr) return;
  area->makeCurrent();
  if (!Action) {
    Action = std::make_unique<SoGLRenderAction>(SbViewportRegion(1, 1));
    ChooseTextureQualityByRenderer(Action.get());  // the same filtering as the view, or it would upload again
  }
  Action->setCacheContext(view->getCacheContext());
  Action->apply(texture);
}
