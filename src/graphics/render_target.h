// Drawing into render targets instead of the back buffer, and the main render
// target the whole game is drawn into when the window uses one.
#pragma once

#include <cstdint>

#include "graphics/texture.h"

namespace tarn::gfx {

bool BeginRenderTarget(Bitmap* bitmap, uint32_t clearArgb);
void EndRenderTarget();
void ReturnToFrameTarget();
bool CreateMainRenderTarget(int width, int height);
void ReleaseMainRenderTarget();
bool HasMainRenderTarget();
Bitmap* MainRenderTarget();
// Shows the main render target in the window, letterboxed when asked.
void DrawMainRenderTarget(bool keepAspect);
bool SceneWasOpen();

}  // namespace tarn::gfx
