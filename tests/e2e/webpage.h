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
