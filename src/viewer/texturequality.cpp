#include "texturequality.h"

#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/elements/SoTextureQualityElement.h>
#include <Inventor/misc/SoState.h>
#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <unordered_map>

namespace {

// Below Coin's mipmap threshold (0.5) and above its nearest-texel one (0.2): bilinear filtering
// of the picture itself.
constexpr float kSoftwareTextureQuality = 0.3f;

// Whether each cache context draws in software, asked of its renderer once (GUI thread only).
bool DrawsInSoftware(std::uint32_t cacheContext) {
  static std::unordered_map<std::uint32_t, bool> software;
  const auto known = software.find(cacheContext);
  if (known != software.end()) return known->second;
  // The context is current here; its renderer does not change while it lives.
  const bool answer = IsSoftwareRenderer(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  software.emplace(cacheContext, answer);
  return answer;
}

void SetQualityBeforeTraversal(void* /*data*/, SoGLRenderAction* action) {
  if (!DrawsInSoftware(action->getCacheContext())) return;
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
