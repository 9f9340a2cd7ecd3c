// helixsoft-capture: renders the software demo headless and saves chosen frames
// as PNG files. Exit 0 on success (and for --help); 2 with a reason and the
// usage on bad arguments or an output directory that cannot be used; 1 with a
// reason when a frame or the summary cannot be written.
#include "capture.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadArguments = 2;

int fail(const std::string& reason)
{
    std::fprintf(stderr, "helixsoft-capture: %s\n%s", reason.c_str(), kCaptureUsage);
    return kExitBadArguments;
}

int failRun(const std::string& reason)
{
    std::fprintf(stderr, "helixsoft-capture: %s\n", reason.c_str());
    return kExitFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    // Past a file-size limit a write then fails with EFBIG and is reported,
    // instead of the signal ending the tool with a partial file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string reason;
    if (!captureStdoutOpen(reason)) {
        return failRun(reason);
    }
    if (captureWantsHelp(args)) {
        return capturePrint(stdout, kCaptureUsage, reason) ? 0 : failRun(reason);
    }
    CaptureOptions options;
    if (!captureParseArgs(args, options, reason)) {
        return fail(reason);
    }
    if (!options.saveFrames.empty() && !capturePrepareDir(options.outDir, reason)) {
        return fail(reason);
    }
    CaptureResult result{};
    if (!captureRun(options, result, reason)) {
        return failRun(reason);
    }
    const std::string summary = captureSummary(options.frames, result.pipelineMs) + "\n";
    return capturePrint(stdout, summary, reason) ? 0 : failRun(reason);
}
