#include "graphics/render_target.h"

#include "graphics/bitmap_handles.h"
#include "graphics/render.h"
#include "graphics/sprite.h"

namespace tarn::gfx {

namespace {

struct TargetState {
  Bitmap* currentTarget = nullptr;
  bool drawingIntoTarget = false;  // the back end draws into a target texture
  bool sceneWasOpen = false;
  std::unique_ptr<Bitmap> mainTarget;
  std::unique_ptr<Bitmap> staticTarget;
  ScriptHandle staticHandle;  // adopted by the script's bitmaps
  int staticWidth = 0, staticHeight = 0;
};

TargetState& State() {
  static TargetState state;
  return state;
}

}  // namespace

bool SceneWasOpen() { return State().sceneWasOpen; }

bool BeginRenderTarget(Bitmap* bitmap, uint32_t clearArgb) {
  TargetState& state = State();
  RenderDevice& device = RenderDevice::Instance();
  EndRenderTarget();
  Backend* backend = device.GetBackend();
  if (!backend || !bitmap || !bitmap->valid || !bitmap->record->renderBuffer || !bitmap->record->texture) {
    state.currentTarget = nullptr;
    return false;
  }
  state.sceneWasOpen = device.SceneOpen();
  device.EndScene();
  if (!backend->BeginTarget(bitmap->record->texture, clearArgb)) {
    if (state.sceneWasOpen) device.BeginScene();
    state.sceneWasOpen = false;
    state.currentTarget = nullptr;
    return false;
  }
  device.UnbindTexture();
  device.SetProjection(bitmap->record->width, bitmap->record->height, true);
  if (backend->TargetsResetCulling()) device.SetCullMode(kCullNone);
  state.drawingIntoTarget = true;
  state.currentTarget = bitmap;
  return true;
}

void EndRenderTarget() {
  TargetState& state = State();
  if (!state.drawingIntoTarget) return;
  RenderDevice& device = RenderDevice::Instance();
  state.currentTarget = nullptr;
  device.SetPerspectiveActive(false);
  if (Backend* backend = device.GetBackend()) {
    backend->EndTarget();
    device.SetProjection(backend->Width(), backend->Height(), false);
    if (backend->TargetsResetCulling()) device.SetCullMode(kCullNone);
  }
  state.drawingIntoTarget = false;
  if (state.sceneWasOpen) {
    device.BeginScene();
    state.sceneWasOpen = false;
  }
}

void ReturnToFrameTarget() {
  TargetState& state = State();
  if (state.mainTarget && state.currentTarget == state.mainTarget.get()) return;
  if (!state.mainTarget) {
    EndRenderTarget();
    return;
  }
  BeginRenderTarget(state.mainTarget.get(), 0);
}

bool CreateMainRenderTarget(int width, int height) {
  TargetState& state = State();
  ReleaseMainRenderTarget();
  auto bitmap = std::make_unique<Bitmap>();
  if (!TextureManager::Instance().CreateRenderTargetBitmap(*bitmap, width, height, false, kBitmapMainSprite)) return false;
  state.mainTarget = std::move(bitmap);
  return true;
}

void ReleaseMainRenderTarget() {
  TargetState& state = State();
  if (!state.mainTarget) return;
  if (state.currentTarget == state.mainTarget.get()) EndRenderTarget();
  TextureManager::Instance().ReleaseBitmap(*state.mainTarget);
  state.mainTarget.reset();
}

bool CreateStaticRenderTarget(int width, int height) {
  TargetState& state = State();
  TextureManager& textures = TextureManager::Instance();
  if (state.staticTarget) {
    if (state.currentTarget == state.staticTarget.get()) EndRenderTarget();
    textures.ReleaseBitmap(*state.staticTarget);
    textures.CollectUnreferenced();
  } else {
    state.staticTarget = std::make_unique<Bitmap>();
  }
  if (!textures.CreateRenderTargetBitmap(*state.staticTarget, width, height, true, kBitmapMainSprite)) {
    ReleaseStaticRenderTarget();
    return false;
  }
  state.staticWidth = width;
  state.staticHeight = height;
  if (!state.staticHandle) state.staticHandle = ScriptBitmaps().Adopt(state.staticTarget.get());
  return true;
}

void ReleaseStaticRenderTarget() {
  TargetState& state = State();
  if (!state.staticTarget) return;
  if (state.currentTarget == state.staticTarget.get()) EndRenderTarget();
  // The script's handle ends first, so that it never names the freed Bitmap.
  ScriptBitmaps().Release(state.staticHandle);
  state.staticHandle = ScriptHandle();
  TextureManager::Instance().ReleaseBitmap(*state.staticTarget);
  state.staticTarget.reset();
  state.staticWidth = state.staticHeight = 0;
}

Bitmap* StaticRenderTarget() { return State().staticTarget.get(); }

Bitmap* StaticRenderTargetOfSize(int width, int height) {
  TargetState& state = State();
  if (!state.staticTarget || width != state.staticWidth || height != state.staticHeight) return nullptr;
  return state.staticTarget.get();
}

ScriptHandle StaticRenderTargetHandle() { return State().staticHandle; }

bool HasMainRenderTarget() { return State().mainTarget != nullptr; }

Bitmap* MainRenderTarget() { return State().mainTarget.get(); }

void DrawMainRenderTarget(bool keepAspect) {
  TargetState& state = State();
  if (!state.mainTarget) return;
  if (!Crop().cropPersistent) DisarmCrop();
  SpriteFrame frame;
  if (!FindSprite(state.mainTarget.get(), "main", true, frame)) return;
  Rect box = RenderDevice::Instance().ComputeLetterbox(keepAspect);
  SpriteDraw draw;
  draw.x = box.x;
  draw.y = box.y;
  draw.width = box.width;
  draw.height = box.height;
  ApplyFrame(frame, false, draw);
  draw.texture = state.mainTarget->record->texture;
  draw.addressMode = kAddressClamp;
  DrawSprite(draw);
}

}  // namespace tarn::gfx
