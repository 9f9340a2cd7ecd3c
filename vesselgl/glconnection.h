// The window system's connection under the GL demo's window: a display that
// goes away is the window's end, not the process's. The watch starts after
// glfwInit and stops after glfwTerminate.
#pragma once

void connectionWatchStart();
void connectionWatchStop();
// true once the connection broke; the frame loop then ends as on Escape.
bool connectionLost();
