// vesselgl-capture: renders the GL demo headless and saves chosen frames as
// PNG files. Exit 0 on success (and for --help); 2 with a reason and the usage
// on bad arguments, an unusable texture or an output directory that cannot be
// used; 1 with a reason when no off-screen OpenGL can be had, or a frame or
// the summary cannot be written.
#include "captureoutput.h"
#include "glcapture.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kTool = "vesselgl-capture";

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = 0;
    if (!captureStart(kTool, kGlCaptureUsage, args, status)) {
        return status;
    }
    GlCaptureOptions options;
    std::string reason;
    if (!glCaptureParseArgs(args, options, reason)) {
        return captureFailed(kTool, reason, kGlCaptureUsage);
    }
    double renderMs = 0.0;
    switch (glCaptureRun(options, renderMs, reason)) {
    case GlCaptureStatus::badInput:
        return captureFailed(kTool, reason, kGlCaptureUsage);
    case GlCaptureStatus::failed:
        return captureFailed(kTool, reason, nullptr);
    case GlCaptureStatus::done:
        break;
    }
    return captureFinish(kTool, options.frames, renderMs);
}
