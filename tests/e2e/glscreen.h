// The GL demo's screen as the end-to-end tests judge it: the first screenshot
// that shows the tube, and the frame whose off-screen rendering matches it.
#pragma once

#include "picture_checks.h"
#include "xdriver.h"

#include <string>

Picture pictureOf(const Screenshot& shot);

// The first screenshot that shows the tube (more than litShare of it lit),
// taken as early as possible so that the frame on screen is one of the first
// few; false after timeoutMs. A picture with black bars lights less of it.
bool firstLitShot(const std::string& display, int timeoutMs, Screenshot& shot,
                  double litShare = 0.25);

// Renders frames 1, 2, ... (the capture tool's GL, the program's own frame
// function) until one matches shot; 0 if none of the first 600 does.
int capturedFrameLike(const Picture& shot, const char* texturePath, PictureDiff& best);
