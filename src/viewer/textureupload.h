// Pictures handed to the view's GL driver while the scene is still being built: the driver's copy
// of each picture is made on the GUI thread while the workers inflate the next pictures, instead
// of all at once in the first frame. All of them, not only those the first frame shows: a picture
// first met while the view compiles a render cache would be kept twice, once in the cache.
#pragma once

#include <memory>

class SoGLRenderAction;
class SoQtExaminerViewer;
class SoTexture2;

class TTextureUpload {
 public:
  explicit TTextureUpload(SoQtExaminerViewer* viewer);
  ~TTextureUpload();

  // Lets the texture node put its picture into the view's GL context exactly as the view's own
  // drawing would, so that drawing finds it there. Does nothing before the view is on screen.
  void Upload(SoTexture2* texture);

 private:
  SoQtExaminerViewer* Viewer;
  std::unique_ptr<SoGLRenderAction> Action;
};
