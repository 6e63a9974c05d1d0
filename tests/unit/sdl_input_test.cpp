// Keys through the real window's path: synthetic SDL events on SDL's dummy
// video driver, translated into window messages and tracked as key state.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sdl/sdl_platform.h"

namespace tarn {
namespace {

void PushKey(SDL_Scancode scancode, SDL_Keycode key, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = key;
  event.key.keysym.mod = KMOD_NUM;
  ASSERT_EQ(1, SDL_PushEvent(&event));
}

TEST(SdlInputTest, SidedModifiersHaveTheirOwnCodesAndHoldTheCommonOne) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SdlPlatform platform;
  WindowRequest request;
  request.title = "keys";
  ASSERT_TRUE(platform.CreateWindow(request)) << SDL_GetError();
  Message message;
  while (platform.PeekMessage(message)) platform.TrackInput(message);

  // Each step presses or releases one key; then the codes 16..18 and
  // 160..165 are down as listed.
  const struct {
    SDL_Scancode scancode;
    SDL_Keycode key;
    bool down;
    const char* expected;  // 16 17 18 160 161 162 163 164 165
  } kSteps[] = {
      {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, true, "100100000"},
      {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, true, "100110000"},
      {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, false, "100010000"},
      {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, false, "000000000"},
      {SDL_SCANCODE_RCTRL, SDLK_RCTRL, true, "010000100"},
      {SDL_SCANCODE_LCTRL, SDLK_LCTRL, true, "010001100"},
      {SDL_SCANCODE_RCTRL, SDLK_RCTRL, false, "010001000"},
      {SDL_SCANCODE_LCTRL, SDLK_LCTRL, false, "000000000"},
      {SDL_SCANCODE_LALT, SDLK_LALT, true, "001000010"},
      {SDL_SCANCODE_RALT, SDLK_RALT, true, "001000011"},
      {SDL_SCANCODE_RALT, SDLK_RALT, false, "001000010"},
      {SDL_SCANCODE_LALT, SDLK_LALT, false, "000000000"},
  };
  const int kCodes[] = {16, 17, 18, 160, 161, 162, 163, 164, 165};
  int step = 0;
  for (const auto& s : kSteps) {
    PushKey(s.scancode, s.key, s.down);
    while (platform.PeekMessage(message)) platform.TrackInput(message);
    std::string down;
    for (int code : kCodes) down += platform.KeyIsDown(code) ? '1' : '0';
    EXPECT_EQ(s.expected, down) << "step " << step;
    ++step;
  }
}

}  // namespace
}  // namespace tarn
