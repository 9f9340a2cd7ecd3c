// The program's keys as its documentation names them, for the tests of every
// backend and of the translation, written apart from the code's key tables:
// the twenty special keys in the order of their codes 0x101..0x114, each with
// its Windows virtual-key code and the scan character that ends its poll
// string, and the control characters the layout gives.
#pragma once

#include <cstdint>

struct ExpectedKey {
    const char* name;
    int32_t windowsKey;  // VK_UP, ... as Windows defines them
    int32_t code;
    char scanChar;
};

inline constexpr ExpectedKey kExpectedSpecialKeys[] = {
    {"Up", 0x26, 0x101, 'H'},      {"Down", 0x28, 0x102, 'P'},      {"Left", 0x25, 0x103, 'K'},
    {"Right", 0x27, 0x104, 'M'},   {"Insert", 0x2D, 0x105, 'R'},    {"Delete", 0x2E, 0x106, 'S'},
    {"Home", 0x24, 0x107, 'G'},    {"End", 0x23, 0x108, 'O'},       {"Page Up", 0x21, 0x109, 'I'},
    {"Page Down", 0x22, 0x10A, 'Q'}, {"F1", 0x70, 0x10B, ';'},      {"F2", 0x71, 0x10C, '<'},
    {"F3", 0x72, 0x10D, '='},      {"F4", 0x73, 0x10E, '>'},        {"F5", 0x74, 0x10F, '?'},
    {"F6", 0x75, 0x110, '@'},      {"F7", 0x76, 0x111, 'A'},        {"F8", 0x77, 0x112, 'B'},
    {"F9", 0x78, 0x113, 'C'},      {"F10", 0x79, 0x114, 'D'},
};

// Escape, Enter, Backspace and Tab; Ctrl with the letters A to Z gives 1 to 26.
inline constexpr ExpectedKey kExpectedControlKeys[] = {
    {"Escape", 0x1B, 27, 0}, {"Enter", 0x0D, 13, 0}, {"Backspace", 0x08, 8, 0}, {"Tab", 0x09, 9, 0}};
inline constexpr int32_t kExpectedControlLetters = 26;
