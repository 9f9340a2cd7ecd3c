// The program's keys as its documentation names them, written apart from the
// code's key tables: the special keys in the order of their codes 0x101..0x114
// with their Windows virtual keys and the scan characters that end their poll
// strings; Escape, Enter, Backspace and Tab; Ctrl with A to Z giving 1 to 26.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>

struct ExpectedKey {
    const char* name;
    int32_t windowsKey;  // VK_UP, ... as Windows defines them
    int32_t code;
    char scanChar;
};

inline constexpr ExpectedKey kExpectedSpecialKeys[] = {
    {"Up", 0x26, 0x101, 'H'}, {"Down", 0x28, 0x102, 'P'}, {"Left", 0x25, 0x103, 'K'},
    {"Right", 0x27, 0x104, 'M'}, {"Insert", 0x2D, 0x105, 'R'}, {"Delete", 0x2E, 0x106, 'S'},
    {"Home", 0x24, 0x107, 'G'}, {"End", 0x23, 0x108, 'O'}, {"Page Up", 0x21, 0x109, 'I'},
    {"Page Down", 0x22, 0x10A, 'Q'}, {"F1", 0x70, 0x10B, ';'}, {"F2", 0x71, 0x10C, '<'},
    {"F3", 0x72, 0x10D, '='}, {"F4", 0x73, 0x10E, '>'}, {"F5", 0x74, 0x10F, '?'},
    {"F6", 0x75, 0x110, '@'}, {"F7", 0x76, 0x111, 'A'}, {"F8", 0x77, 0x112, 'B'},
    {"F9", 0x78, 0x113, 'C'}, {"F10", 0x79, 0x114, 'D'}};
inline constexpr ExpectedKey kExpectedControlKeys[] = {
    {"Escape", 0x1B, 27, 0}, {"Enter", 0x0D, 13, 0}, {"Backspace", 0x08, 8, 0},
    {"Tab", 0x09, 9, 0}};

// The code a backend makes of each documented key: special(i) and control(i)
// of the keys at i above, ctrlLetter(n) of Ctrl with letter n (0 for A).
template <typename Special, typename Control, typename CtrlLetter>
void expectDocumentedKeys(Special special, Control control, CtrlLetter ctrlLetter)
{
    for (size_t i = 0; i < std::size(kExpectedSpecialKeys); ++i) {
        EXPECT_EQ(special(i), kExpectedSpecialKeys[i].code) << kExpectedSpecialKeys[i].name;
    }
    for (size_t i = 0; i < std::size(kExpectedControlKeys); ++i) {
        EXPECT_EQ(control(i), kExpectedControlKeys[i].code) << kExpectedControlKeys[i].name;
    }
    for (int32_t letter = 0; letter < 26; ++letter) {
        EXPECT_EQ(ctrlLetter(letter), letter + 1) << "Ctrl+" << char('A' + letter);
    }
}
