// The browser tests' side of the webdriver tool (tools/webdriver): runs it on a
// built site with a list of commands in one headless Chromium and reads back
// what it printed, and reads the screenshots it saved. Any page's tests use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WebDriverRun {
    int status = -1;                 // the driver's exit status; -1 when it did not end in time
    std::vector<std::string> lines;  // its standard output, line by line
    std::string err;
};

// Runs `node webdriver.js run SITE COMMAND...` (see the tool for the commands).
WebDriverRun webDriverRun(const std::string& site, const std::vector<std::string>& commands);

// The values of the run's "eval" commands in order, each as JSON text.
std::vector<std::string> webDriverEvals(const WebDriverRun& run);

// Console errors, page errors and the driver's own failure: empty for a clean run.
std::vector<std::string> webDriverProblems(const WebDriverRun& run);

// Everything the driver printed, for a failure message.
std::string webDriverTranscript(const WebDriverRun& run);

// A PNG file's pixels as 0x00RRGGBB, row 0 first; empty when it cannot be read.
std::vector<uint32_t> webLoadPng(const std::string& path, int& width, int& height);
