// vesselgl-capture: renders the GL demo headless and saves chosen frames as
// PNG files. Exit 0 on success; 2 with a reason and the usage on bad
// arguments, an unusable texture or an output that cannot be written; 1 with
// a reason when no off-screen OpenGL can be had.
#include "captureoutput.h"
#include "glcapture.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kExitNoGL = 1;
constexpr int kExitBadArguments = 2;

int fail(const std::string& reason, bool withUsage)
{
    std::fprintf(stderr, "vesselgl-capture: %s\n%s", reason.c_str(),
                 withUsage ? kGlCaptureUsage : "");
    return withUsage ? kExitBadArguments : kExitNoGL;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    GlCaptureOptions options;
    std::string reason;
    if (!glCaptureParseArgs(args, options, reason)) {
        return fail(reason, true);
    }
    double renderMs = 0.0;
    const GlCaptureStatus status = glCaptureRun(options, renderMs, reason);
    if (status != GlCaptureStatus::done) {
        return fail(reason, status == GlCaptureStatus::badInput);
    }
    std::printf("%s\n", captureSummary(options.frames, renderMs).c_str());
    return 0;
}
