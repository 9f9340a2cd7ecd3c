// The capture tools' strict argument rules, written once for all of them.
#include "captureargs.h"

#include "runoptions.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace {

// A whole decimal number too large for the tools' 32-bit counts.
bool isTooLarge(const std::string& text)
{
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc::result_out_of_range && end == text.data() + text.size() &&
           text[0] != '-';
}

bool hasArg(const std::vector<CaptureArg>& pairs, const std::string& name)
{
    return std::any_of(pairs.begin(), pairs.end(),
                       [&name](const CaptureArg& arg) { return arg.name == name; });
}

}  // namespace

std::string captureShown(const std::string& value)
{
    return argumentShown(value);
}

namespace {

bool standsAsName(const std::vector<std::string>& args, const char* name)
{
    // Every option takes a value, so names stand at even places.
    for (size_t i = 0; i < args.size(); i += 2) {
        if (args[i] == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool captureWantsHelp(const std::vector<std::string>& args)
{
    return standsAsName(args, "--help");
}

bool captureWantsVersion(const std::vector<std::string>& args)
{
    return standsAsName(args, "--version");
}

bool captureSplitArgs(const std::vector<std::string>& args, const std::vector<std::string>& known,
                      std::vector<CaptureArg>& pairs, std::string& reason)
{
    pairs.clear();
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            reason = "unknown option " + captureShown(name);
            return false;
        }
        if (hasArg(pairs, name)) {
            reason = "option " + name + " given twice";  // a known name: short and plain
            return false;
        }
        if (i + 1 >= args.size()) {
            reason = "option " + name + " needs a value";
            return false;
        }
        pairs.push_back(CaptureArg{name, args[i + 1]});
    }
    return true;
}

bool captureRequire(const std::vector<CaptureArg>& pairs,
                    const std::vector<std::string>& required, std::string& reason)
{
    for (const std::string& name : required) {
        if (!hasArg(pairs, name)) {
            reason = "missing option " + name;
            return false;
        }
    }
    return true;
}

bool captureParseWhole(const std::string& text, int32_t& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return !text.empty() && error == std::errc{} && end == last;
}

bool captureParseFrameCount(const CaptureArg& arg, int32_t& frames, std::string& reason)
{
    if (captureParseWhole(arg.value, frames) && frames >= 1) {
        return true;
    }
    reason = arg.name + ": " + captureShown(arg.value) +
             (isTooLarge(arg.value)
                  ? " is too large: at most " + std::to_string(std::numeric_limits<int32_t>::max())
                  : " is not a whole number of at least 1");
    return false;
}

bool captureParseFrameList(const CaptureArg& arg, std::vector<int32_t>& frames,
                           std::string& reason)
{
    frames.clear();
    size_t begin = 0;
    while (true) {
        const size_t comma = arg.value.find(',', begin);
        const std::string item =
            arg.value.substr(begin, comma == std::string::npos ? comma : comma - begin);
        int32_t frame = 0;
        if (!captureParseWhole(item, frame)) {
            reason = arg.name + ": " + captureShown(item) +
                     (isTooLarge(item) ? " is too large" : " is not a frame number");
            return false;
        }
        frames.push_back(frame);
        if (comma == std::string::npos) {
            break;
        }
        begin = comma + 1;
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return true;
}

bool captureCheckFrameList(const std::string& option, const std::vector<int32_t>& list,
                           int32_t frames, std::string& reason)
{
    for (const int32_t frame : list) {
        if (frame < 1 || frame > frames) {
            reason = option + ": frame " + std::to_string(frame) + " is outside 1.." +
                     std::to_string(frames);
            return false;
        }
    }
    return true;
}
