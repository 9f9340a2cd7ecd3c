// Command-line face of the X driver, for scripts: the demo launcher uses it to
// wait for the window, take the screenshot and press Escape.
#include "xdriver.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: xdriver shot FILE.png | key KEYSYM | close | wait-window MILLISECONDS | mode\n"
                 "       (acts on the X display named by $DISPLAY)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || argc < 2) {
        return usage();
    }
    const std::string command = argv[1];
    bool done = false;
    if (command == "shot" && argc == 3) {
        Screenshot shot;
        done = xScreenshot(display, shot) && writeScreenshotPng(shot, argv[2]);
    } else if (command == "key" && argc == 3) {
        done = xSendKey(display, argv[2]);
    } else if (command == "close" && argc == 2) {
        done = xRequestClose(display);
    } else if (command == "mode" && argc == 2) {
        int width = 0;
        int height = 0;
        done = xCurrentMode(display, width, height);
        if (done) {
            std::printf("%dx%d\n", width, height);
        }
    } else if (command == "wait-window" && argc == 3) {
        done = xWaitForMappedWindow(display, std::atoi(argv[2]));
    } else {
        return usage();
    }
    if (!done) {
        std::fprintf(stderr, "xdriver: %s failed\n", command.c_str());
    }
    return done ? 0 : 1;
}
