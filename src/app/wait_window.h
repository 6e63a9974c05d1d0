// The please-wait window shown while the machine's facts are gathered
// before the game's window opens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

inline constexpr int kWaitWindowWidth = 450;
inline constexpr int kWaitWindowHeight = 100;

// The window's picture: the text in the debug font at twice its size, bold,
// centred in dark grey on the light grey of a dialog; B, G, R, A rows.
std::vector<uint8_t> WaitWindowImage(const std::string& text);

void ShowWaitWindow(const std::string& text);
void CloseWaitWindow();

}  // namespace tarn
