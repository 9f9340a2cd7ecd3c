// The web display's translation of browser keys and of focus and visibility,
// without a browser: the key code each DOM key gives through the key table,
// and the activation events a sequence of changes produces.
#include "keyqueue.h"
#include "webinput.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct KeyCase {
    WebKeyDown key;
    int32_t code;
};

TEST(WebInput, DomKeysGiveTheDesktopsKeyCodes)
{
    const KeyCase cases[] = {
        {{"a"}, 'a'}, {{"A"}, 'A'}, {{" "}, ' '}, {{"Escape"}, 27}, {{"Enter"}, 13},
        {{"Backspace"}, 8}, {{"Tab"}, 9}, {{"ArrowUp"}, 0x101}, {{"PageDown"}, 0x10A},
        {{"F1"}, 0x10B}, {{"F10"}, 0x114}, {{"F11"}, 0}, {{"Shift"}, 0}, {{"Dead"}, 0},
        {{"ArrowRight", true}, 0x104},      // the table ignores modifiers
        {{"\xC3\xA9"}, 0xE9},               // é, from two UTF-8 bytes
        {{"\xE2\x82\xAC"}, 0},             // the euro sign: above 255
        {{"\xC3"}, 0},                      // a broken sequence
        {{"c", true}, 3}, {{"C", true}, 3},  // Ctrl+C, Ctrl+Shift+C
        {{"1", true}, 0},                    // Ctrl with no letter gives nothing
        {{"@", true, true}, '@'},            // AltGr composes the character
        {{"a", false, false, true}, 0},      // Command+A is the browser's
    };
    for (const KeyCase& c : cases) {
        const DisplayEvent event = webTranslateKeyDown(c.key);
        EXPECT_EQ(event.type, DisplayEventType::KeyDown) << c.key.key;
        EXPECT_EQ(translateKeyDown(event.virtualKey, event.layoutChar), c.code)
            << c.key.key << " ctrl " << c.key.ctrl << " alt " << c.key.alt << " meta "
            << c.key.meta;
    }
}

struct Change {
    bool isFocus;  // else visibility
    bool on;
};

// Only changes of the combined state are reported: active means focused and visible.
TEST(WebInput, FocusAndVisibilityTogetherDecideActivation)
{
    const std::vector<Change> changes = {
        {true, false},   // blur: inactive
        {true, false},   // again: nothing new
        {true, true},    // focus: active
        {false, false},  // hidden: inactive
        {true, false},   // blur while hidden: nothing new
        {false, true},   // visible, still without focus: nothing new
        {true, true},    // focus: active
    };
    const std::vector<int32_t> expected = {0, -1, 1, 0, -1, -1, 1};  // -1: no event
    WebActivation state;
    for (size_t i = 0; i < changes.size(); ++i) {
        DisplayEvent event;
        const bool reported = changes[i].isFocus
                                  ? webActivationFocus(state, changes[i].on, event)
                                  : webActivationVisibility(state, changes[i].on, event);
        EXPECT_EQ(reported ? event.active : -1, expected[i]) << "change " << i;
        if (reported) {
            EXPECT_EQ(event.type, DisplayEventType::Activate);
        }
    }
}

}  // namespace
