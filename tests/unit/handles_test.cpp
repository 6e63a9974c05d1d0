// The registry of script handles: only a live handle of the family reads as
// its object; released, made-up and other families' handles read as none.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <functional>
#include <memory>

#include "script/handles.h"

namespace tarn {
namespace {

// Counts its own destruction.
struct Probe {
  explicit Probe(int& freed) : freed(freed) {}
  ~Probe() { ++freed; }
  int& freed;
};

class HandlesTest : public ::testing::Test {
 protected:
  void SetUp() override { L = luaL_newstate(); }
  void TearDown() override { lua_close(L); }
  ScriptHandle Add(HandleSet<Probe>& set) { return set.Add(std::make_unique<Probe>(freed)); }
  void PushValue(uintptr_t value) { lua_pushlightuserdata(L, reinterpret_cast<void*>(value)); }

  lua_State* L = nullptr;
  int freed = 0;
  HandleSet<Probe> bitmaps{HandleKind::kBitmap};
  HandleSet<Probe> fonts{HandleKind::kFont};
};

TEST_F(HandlesTest, OnlyALiveHandleOfTheFamilyReadsAsItsObject) {
  ScriptHandle live = Add(bitmaps);
  ScriptHandle released = Add(bitmaps);
  ASSERT_TRUE(bitmaps.Release(released));
  ScriptHandle newer = Add(bitmaps);  // takes the released handle's slot
  ScriptHandle font = Add(fonts);
  Probe* liveBitmap = bitmaps.Get(live);
  ASSERT_NE(nullptr, liveBitmap);
  ASSERT_NE(released, newer);
  struct Case {
    const char* what;
    const HandleSet<Probe>& set;
    std::function<void()> push;
    Probe* expected;
  } const cases[] = {
      {"a live handle", bitmaps, [&] { bitmaps.Push(L, live); }, liveBitmap},
      {"the bitmap that took a released slot", bitmaps, [&] { bitmaps.Push(L, newer); }, bitmaps.Get(newer)},
      {"a released handle", bitmaps, [&] { bitmaps.Push(L, released); }, nullptr},
      {"a font handle read as a bitmap", bitmaps, [&] { fonts.Push(L, font); }, nullptr},
      {"a font handle read as a font", fonts, [&] { fonts.Push(L, font); }, fonts.Get(font)},
      {"the bitmap's own address", bitmaps, [&] { lua_pushlightuserdata(L, liveBitmap); }, nullptr},
      {"a made-up value beside a live one", bitmaps, [&] { PushValue(live.value + 1); }, nullptr},
      {"a value past every slot", bitmaps, [&] { PushValue(live.value + 1000); }, nullptr},
      {"a null light userdata", bitmaps, [&] { lua_pushlightuserdata(L, nullptr); }, nullptr},
      {"the handle's value as a number", bitmaps, [&] { lua_pushnumber(L, static_cast<double>(live.value)); }, nullptr},
      {"a string", bitmaps, [&] { lua_pushstring(L, "bitmap"); }, nullptr},
      {"a full userdata", bitmaps, [&] { lua_newuserdata(L, sizeof(void*)); }, nullptr},
      {"nil", bitmaps, [&] { lua_pushnil(L); }, nullptr},
  };
  for (const Case& c : cases) {
    c.push();
    EXPECT_EQ(c.expected, c.set.Get(L, -1)) << c.what;
    lua_pop(L, 1);
  }
  EXPECT_NE(nullptr, bitmaps.Get(newer));
  EXPECT_NE(nullptr, fonts.Get(font));
}

TEST_F(HandlesTest, TheEmptyHandleIsNil) {
  bitmaps.Push(L, ScriptHandle());
  EXPECT_TRUE(lua_isnil(L, -1));
  EXPECT_FALSE(bitmaps.At(L, -1));
}

TEST_F(HandlesTest, ReleaseFreesAnOwnedObjectOnce) {
  ScriptHandle handle = Add(bitmaps);
  EXPECT_TRUE(bitmaps.Release(handle));
  EXPECT_EQ(1, freed);
  EXPECT_FALSE(bitmaps.Release(handle));
  EXPECT_FALSE(fonts.Release(Add(bitmaps))) << "another family's handle";
  EXPECT_EQ(1, freed);
  EXPECT_EQ(1u, bitmaps.Size());
}

TEST_F(HandlesTest, ReleaseOwnedFreesWhatTheScriptKeptAndLeavesAdoptedObjects) {
  int engineFreed = 0;
  Probe engineOwned(engineFreed);
  ScriptHandle adopted = bitmaps.Adopt(&engineOwned);
  ScriptHandle kept[] = {Add(bitmaps), Add(bitmaps)};
  bitmaps.ReleaseOwned();
  EXPECT_EQ(2, freed);
  for (ScriptHandle handle : kept) EXPECT_EQ(nullptr, bitmaps.Get(handle));
  EXPECT_EQ(&engineOwned, bitmaps.Get(adopted));
  EXPECT_TRUE(bitmaps.Release(adopted));
  EXPECT_EQ(nullptr, bitmaps.Get(adopted));
  EXPECT_EQ(0, engineFreed) << "an adopted object is forgotten, not freed";
  EXPECT_EQ(0u, bitmaps.Size());
}

}  // namespace
}  // namespace tarn
