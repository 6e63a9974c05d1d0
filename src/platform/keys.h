// The engine's key codes: the Windows virtual-key numbers that key messages,
// the keyboard state, the input table and the console all use. Letters and
// digits are their upper-case characters ('A', '7').
#pragma once

namespace tarn {

inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyShift = 16;
inline constexpr int kKeyCtrl = 17;
inline constexpr int kKeyAlt = 18;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyDelete = 46;
inline constexpr int kKeyF1 = 112;
inline constexpr int kKeyF8 = 119;
inline constexpr int kKeyF10 = 121;
inline constexpr int kKeyF12 = 123;
// The sided codes, in pairs from here: left and right Shift, Ctrl, Alt.
inline constexpr int kKeyLeftShift = 160;
inline constexpr int kKeyRightAlt = 165;
// The key left of 1 on a US layout (grave accent and tilde).
inline constexpr int kKeyTilde = 192;

}  // namespace tarn
