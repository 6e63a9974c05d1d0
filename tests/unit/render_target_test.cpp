// The static render target's life: one Bitmap and one script handle across
// re-creations, nothing left behind when it cannot be made or is released.
#include <memory>
#include <set>

#include "graphics/bitmap_handles.h"
#include "graphics/render.h"
#include "graphics/render_target.h"
#include "graphics/texture.h"
#include "render_fakes.h"
#include "test_support.h"

namespace tarn::gfx {
namespace {

// Hands out numbered textures and keeps the ones not released yet.
class CountingBackend : public testing::StubBackend {
 public:
  explicit CountingBackend(std::set<TextureHandle>* live) : live_(live) {}
  TextureHandle CreateTexture(int, int, bool, bool, const uint8_t*) override {
    live_->insert(++next_);
    return next_;
  }
  void ReleaseTexture(TextureHandle texture) override { live_->erase(texture); }

 private:
  std::set<TextureHandle>* live_;
  TextureHandle next_ = 0;
};

class StaticTargetTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    testing::EngineTest::SetUp();
    RenderDevice::Instance().ResetForTests();
    ASSERT_TRUE(RenderDevice::Instance().InitDevice(std::make_unique<CountingBackend>(&live_),
                                                    testing::WindowSetup(800, 600, false)));
  }
  void TearDown() override {
    ReleaseStaticRenderTarget();
    TextureManager::Instance().ReleaseAllTextures(false);
    RenderDevice::Instance().ResetForTests();
    testing::EngineTest::TearDown();
  }
  std::set<TextureHandle> live_;
};

TEST_F(StaticTargetTest, KeepsItsHandleAcrossRecreationAndEndsItWhenGone) {
  EXPECT_FALSE(StaticRenderTargetHandle());
  ASSERT_TRUE(CreateStaticRenderTarget(160, 120));
  Bitmap* target = StaticRenderTarget();
  ScriptHandle handle = StaticRenderTargetHandle();
  ASSERT_TRUE(target && handle);
  EXPECT_EQ(target, ScriptBitmaps().Get(handle));
  EXPECT_EQ(target, StaticRenderTargetOfSize(160, 120));
  EXPECT_EQ(nullptr, StaticRenderTargetOfSize(160, 121));
  EXPECT_TRUE(target->record->alpha);
  EXPECT_EQ(1u, live_.size());

  // Made again with the next window's resolution: the same Bitmap and
  // handle, the old texture freed at once.
  ASSERT_TRUE(CreateStaticRenderTarget(200, 150));
  EXPECT_EQ(target, StaticRenderTarget());
  EXPECT_EQ(handle, StaticRenderTargetHandle());
  EXPECT_EQ(target, ScriptBitmaps().Get(handle));
  EXPECT_EQ(target, StaticRenderTargetOfSize(200, 150));
  EXPECT_EQ(nullptr, StaticRenderTargetOfSize(160, 120));
  EXPECT_EQ(200, target->record->width);
  EXPECT_EQ(1u, live_.size());
  EXPECT_EQ(1, TextureManager::Instance().TextureStatistics().count);

  // A resolution no texture can have: no static target, and the script's
  // handle reads as no bitmap.
  EXPECT_FALSE(CreateStaticRenderTarget(0, 150));
  EXPECT_EQ(nullptr, StaticRenderTarget());
  EXPECT_EQ(nullptr, ScriptBitmaps().Get(handle));
  EXPECT_FALSE(StaticRenderTargetHandle());
  EXPECT_EQ(nullptr, StaticRenderTargetOfSize(0, 150));
  EXPECT_TRUE(live_.empty());

  // Released: the handle ends too; releasing again does nothing.
  ASSERT_TRUE(CreateStaticRenderTarget(64, 32));
  handle = StaticRenderTargetHandle();
  ReleaseStaticRenderTarget();
  ReleaseStaticRenderTarget();
  EXPECT_EQ(nullptr, ScriptBitmaps().Get(handle));
  TextureManager::Instance().CollectUnreferenced();
  EXPECT_TRUE(live_.empty());
}

}  // namespace
}  // namespace tarn::gfx
