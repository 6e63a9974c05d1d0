// Drawing into render targets instead of the back buffer, the main render
// target the whole game is drawn into when the window uses one, and the
// static render target: one shared full-resolution target that scripts get
// from gfx_create_bitmap.
#pragma once

#include <cstdint>

#include "graphics/texture.h"
#include "script/handles.h"

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

// The static render target, made with the game resolution and an alpha
// channel. Made again, it keeps its Bitmap and its script handle, so a
// script's handle stays good across a rebuilt window; when it cannot be made
// it is released, and its handle then reads as no bitmap.
bool CreateStaticRenderTarget(int width, int height);
void ReleaseStaticRenderTarget();
Bitmap* StaticRenderTarget();
// The static render target when it exists and was made with this size (the
// game resolution), else null.
Bitmap* StaticRenderTargetOfSize(int width, int height);
// The one script handle on the static render target (the target stays the
// engine's); the empty handle when there is none.
ScriptHandle StaticRenderTargetHandle();

}  // namespace tarn::gfx
