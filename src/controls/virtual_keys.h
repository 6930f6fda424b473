// Virtual-key codes, Windows numbering: the hot-key codes stored in
// Config.dat use these values, so every platform translates to them.
#pragma once

namespace kestrune::vk {

inline constexpr int kBack = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kMenu = 0x12;  // Alt
inline constexpr int kPause = 0x13;
inline constexpr int kEscape = 0x1B;
inline constexpr int kSpace = 0x20;
inline constexpr int kPrior = 0x21;  // Page Up
inline constexpr int kNext = 0x22;   // Page Down
inline constexpr int kEnd = 0x23;
inline constexpr int kHome = 0x24;
inline constexpr int kLeft = 0x25;
inline constexpr int kUp = 0x26;
inline constexpr int kRight = 0x27;
inline constexpr int kDown = 0x28;
inline constexpr int kInsert = 0x2D;
inline constexpr int kDelete = 0x2E;
inline constexpr int k0 = 0x30;  // '0'..'9' are 0x30..0x39
inline constexpr int kA = 0x41;  // 'A'..'Z' are 0x41..0x5A
inline constexpr int kNumpad0 = 0x60;
inline constexpr int kMultiply = 0x6A;
inline constexpr int kAdd = 0x6B;
inline constexpr int kSubtract = 0x6D;
inline constexpr int kDecimal = 0x6E;
inline constexpr int kDivide = 0x6F;
inline constexpr int kF1 = 0x70;  // F1..F12 are 0x70..0x7B
inline constexpr int kF4 = 0x73;
inline constexpr int kLShift = 0xA0;
inline constexpr int kRShift = 0xA1;
inline constexpr int kLControl = 0xA2;
inline constexpr int kRControl = 0xA3;
inline constexpr int kLMenu = 0xA4;
inline constexpr int kRMenu = 0xA5;
inline constexpr int kOem1 = 0xBA;       // ;
inline constexpr int kOemPlus = 0xBB;    // =
inline constexpr int kOemComma = 0xBC;   // ,
inline constexpr int kOemMinus = 0xBD;   // -
inline constexpr int kOemPeriod = 0xBE;  // .
inline constexpr int kOem2 = 0xBF;       // /
inline constexpr int kOem3 = 0xC0;       // ~
inline constexpr int kOem4 = 0xDB;       // [
inline constexpr int kOem5 = 0xDC;       // backslash
inline constexpr int kOem6 = 0xDD;       // ]
inline constexpr int kOem7 = 0xDE;       // '

}  // namespace kestrune::vk
