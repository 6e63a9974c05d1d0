// The shared argument conventions: script numbers become integers only
// through the checked conversion, and optional numbers given as numeric
// strings count as numbers.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "script/args.h"

namespace tarn {
namespace {

constexpr int kMin = std::numeric_limits<int32_t>::min();
constexpr int kMax = std::numeric_limits<int32_t>::max();

class ArgsTest : public ::testing::Test {
 protected:
  void SetUp() override { L = luaL_newstate(); }
  void TearDown() override { lua_close(L); }
  lua_State* L = nullptr;
};

TEST_F(ArgsTest, NumbersBecomeIntegersTruncatedAndClamped) {
  const double nan = std::nan(""), inf = HUGE_VAL;
  struct Case {
    double number;
    int expected;
  } const cases[] = {
      {2.9, 2},           {-2.9, -2},          {-5, -5},           {1e12, kMax},   {-1e12, kMin},
      {2147483647.0, kMax}, {2147483648.0, kMax}, {-2147483648.0, kMin}, {-2147483649.0, kMin},
      {nan, 0},           {inf, kMax},         {-inf, kMin},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, args::ToInteger(c.number)) << c.number;
    lua_pushnumber(L, c.number);
    EXPECT_EQ(c.expected, args::Integer(L, -1)) << c.number;
    EXPECT_EQ(c.expected, args::OptInteger(L, -1, 77)) << c.number;
    lua_pop(L, 1);
  }
}

TEST_F(ArgsTest, NumericStringsAreOptionalNumbers) {
  struct Case {
    const char* text;  // null: nil
    bool number;
    double value;
    int integer;
  } const cases[] = {
      {"0.5", true, 0.5, 0}, {"8", true, 8, 8},    {" -5.5 ", true, -5.5, -5}, {"1e12", true, 1e12, kMax},
      {"0x10", true, 16, 16}, {"abc", false, 0, 0}, {"", false, 0, 0},        {nullptr, false, 0, 0},
  };
  for (const Case& c : cases) {
    std::string label = c.text ? c.text : "nil";
    if (c.text) lua_pushstring(L, c.text);
    else lua_pushnil(L);
    EXPECT_EQ(c.number, args::HasNumber(L, -1)) << label;
    EXPECT_EQ(c.number ? c.value : 3.0, args::OptNumber(L, -1, 3.0)) << label;
    EXPECT_EQ(c.number ? c.integer : 77, args::OptInteger(L, -1, 77)) << label;
    EXPECT_EQ(c.integer, args::Integer(L, -1)) << label;
    // The same value as the opacity of a colour: the default 1 when it is no number.
    lua_pushstring(L, "ffffff");
    uint32_t alpha = args::Colour(L, -1, -2) >> 24;
    EXPECT_EQ(c.number ? args::OpacityByte(c.value) : 255u, alpha) << label;
    lua_pop(L, 2);
  }
  EXPECT_EQ(0, args::OpacityByte(std::nan(""))) << "NaN opacity reads as 0";
}

}  // namespace
}  // namespace tarn
