// The web display's translation of browser keys and of focus and visibility,
// without a browser: the key code each DOM key gives through the key table,
// and the activation events a sequence of changes produces.
#include "key_expectations.h"
#include "keyqueue.h"
#include "webinput.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int32_t codeOf(const WebKeyDown& key)
{
    const DisplayEvent event = webTranslateKeyDown(key);
    EXPECT_EQ(event.type, DisplayEventType::KeyDown) << key.key;
    return translateKeyDown(event.virtualKey, event.layoutChar);
}

const char* const kSpecialKeys[std::size(kExpectedSpecialKeys)] = {
    "ArrowUp", "ArrowDown", "ArrowLeft", "ArrowRight", "Insert", "Delete", "Home",
    "End", "PageUp", "PageDown", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10"};
const char* const kControlKeys[std::size(kExpectedControlKeys)] = {"Escape", "Enter",
                                                                   "Backspace", "Tab"};

struct KeyCase {
    WebKeyDown key;
    int32_t code;
};

TEST(WebInput, DomKeysGiveTheDesktopsKeyCodes)
{
    // The table ignores the modifiers.
    expectDocumentedKeys([](size_t i) { return codeOf({kSpecialKeys[i], true}); },
                         [](size_t i) { return codeOf({kControlKeys[i]}); },
                         [](int32_t n) {
                             const char letter[] = {char('a' + n), 0};
                             return codeOf({letter, true});
                         });
    const KeyCase cases[] = {
        {{"a"}, 'a'}, {{"A"}, 'A'}, {{" "}, ' '}, {{"F11"}, 0}, {{"Shift"}, 0}, {{"Dead"}, 0},
        {{"C", true}, 3},                    // Ctrl+Shift+C
        {{"\xC3\xA9"}, 0xE9},               // é, from two UTF-8 bytes
        {{"\xE2\x82\xAC"}, 0},             // the euro sign: above 255
        {{"\xC3"}, 0},                      // a broken sequence
        {{"1", true}, 0},                    // Ctrl with no letter gives nothing
        {{"@", true, true}, '@'},            // AltGr composes the character
        {{"a", false, false, true}, 0},      // Command+A is the browser's
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(codeOf(c.key), c.code) << c.key.key << " ctrl " << c.key.ctrl << " alt "
                                         << c.key.alt << " meta " << c.key.meta;
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
