// The browser tests' side of the webdriver tool (tools/webdriver): runs it on a
// built site with a list of commands in one headless Chromium and sorts what it
// printed. Any page's tests use it; they read its screenshots with
// picture_checks.h.
#pragma once

#include <string>
#include <vector>

struct WebDriverRun {
    int status = -1;                    // the driver's exit status; -1 when it did not end in time
    std::vector<std::string> evals;     // the values of the "eval" commands in order, as JSON
    std::vector<std::string> problems;  // console errors, page errors, the driver's own failure
    std::string transcript;             // everything it printed, for a failure message
};

// Runs `node webdriver.js run SITE COMMAND...` (see the tool for the commands).
WebDriverRun webDriverRun(const std::string& site, const std::vector<std::string>& commands);

// Appends commands that open PAGE, a fixed run outlasting them, with the page's thread `slower`
// times slower, and after a second time its animation frames for three: the last eval is
// "responsive" when the median gap is under 125 ms and none reaches 1 s (loaded machines stall).
void appendLongRunCommands(std::vector<std::string>& commands, const std::string& page, int slower);
