// What the web display makes of the browser's events, kept free of browser
// headers so that it runs and is tested anywhere. Keys arrive as the DOM's
// KeyboardEvent.key (UTF-8) with its modifier flags; focus and page visibility
// arrive as they change, and together decide the application's activation.
#pragma once

#include "fbplatform.h"

#include <cstdint>

struct WebKeyDown {
    const char* key = "";  // KeyboardEvent.key: "a", "A", "Escape", "ArrowUp", "Dead", ...
    bool ctrl = false;
    bool alt = false;
    bool meta = false;
};

// The key-down event the screen takes: a special key's virtual key, or the
// single character 1..255 that the layout gave (0 when it gave none, a dead
// key, a character above 255 or a key name). Ctrl with a letter gives its
// control character (Ctrl+C is 3), as the desktop's layout does; AltGr (Ctrl
// and Alt together) keeps the character it composed. With Meta (the Command
// key) the browser's shortcut wins and no character is given.
DisplayEvent webTranslateKeyDown(const WebKeyDown& key);

// Activation is focus and visibility together: a hidden page or one without
// the keyboard focus is inactive. The page starts active unless it is hidden.
struct WebActivation {
    bool focused = true;
    bool visible = true;
    bool active = true;  // what the screen was last told
};

// Records a change and reports in event the Activate event the screen must
// see; false when the activation stays as it was.
bool webActivationFocus(WebActivation& state, bool focused, DisplayEvent& event);
bool webActivationVisibility(WebActivation& state, bool visible, DisplayEvent& event);
