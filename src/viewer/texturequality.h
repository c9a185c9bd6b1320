// Texture filtering of the 3D view, chosen by the GL renderer it draws with.
#pragma once

class SoGLRenderAction;

// Registers with the render action: on a software renderer (Mesa's llvmpipe, softpipe, swrast) the
// pictures are drawn without mipmap levels. There every level is process memory (a third on top
// of the driver's own copy of each picture) and building them costs the processor at start-up;
// on a graphics card the levels live in its memory and stay.
void ChooseTextureQualityByRenderer(SoGLRenderAction* action);

// True for the GL_RENDERER texts of renderers that draw with the processor.
bool IsSoftwareRenderer(const char* renderer);
