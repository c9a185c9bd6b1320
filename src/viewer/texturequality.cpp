#include "texturequality.h"

#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/elements/SoTextureQualityElement.h>
#include <Inventor/misc/SoState.h>
#include <GL/gl.h>

#include <cstring>
#include <initializer_list>

namespace {

// Below Coin's mipmap threshold (0.5) and above its nearest-texel one (0.2): bilinear filtering
// of the picture itself.
constexpr float kSoftwareTextureQuality = 0.3f;

void SetQualityBeforeTraversal(void* /*data*/, SoGLRenderAction* action) {
  // The context is current here; its renderer does not change while it lives.
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (!IsSoftwareRenderer(renderer)) return;
  SoState* state = action->getState();
  if (state != nullptr && state->isElementEnabled(SoTextureQualityElement::getClassStackIndex()))
    SoTextureQualityElement::set(state, kSoftwareTextureQuality);
}

}  // namespace

bool IsSoftwareRenderer(const char* renderer) {
  if (renderer == nullptr) return false;
  for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"}) {
    if (std::strstr(renderer, name) != nullptr) return true;
  }
  return false;
}

void ChooseTextureQualityByRenderer(SoGLRenderAction* action) {
  if (action != nullptr) action->addPreRenderCallback(&SetQualityBeforeTraversal, nullptr);
}
