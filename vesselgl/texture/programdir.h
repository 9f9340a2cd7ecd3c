// The folder that holds the running program's installed data, found from the
// program's own file rather than from the working directory or a path fixed
// at build time, so that an installation moved as a whole still finds it.
#pragma once

#include <string>

// Linux: DIR/../share/tubedemos for a program in DIR (as GNUInstallDirs lays
// an installation out); Windows: the program's own folder; the web page,
// which has no program file: "". Also "" when the location cannot be had.
std::string programDataDir();
