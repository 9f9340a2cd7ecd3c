// The capture tools' strict argument rules, written once for all of them.
#include "captureargs.h"

#include <algorithm>
#include <charconv>
#include <system_error>

bool captureSplitArgs(const std::vector<std::string>& args, const std::vector<std::string>& known,
                      std::vector<CaptureArg>& pairs, std::string& reason)
{
    pairs.clear();
    for (size_t i = 0; i < args.size(); i += 2) {
        const std::string& name = args[i];
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            reason = "unknown option '" + name + "'";
            return false;
        }
        const auto same = [&name](const CaptureArg& seen) { return seen.name == name; };
        if (std::any_of(pairs.begin(), pairs.end(), same)) {
            reason = "option " + name + " given twice";
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

bool captureParseWhole(const std::string& text, int32_t& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return !text.empty() && error == std::errc{} && end == last;
}

bool captureParseFrameList(const std::string& option, const std::string& text,
                           std::vector<int32_t>& frames, std::string& reason)
{
    frames.clear();
    size_t begin = 0;
    while (true) {
        const size_t comma = text.find(',', begin);
        const std::string item =
            text.substr(begin, comma == std::string::npos ? comma : comma - begin);
        int32_t frame = 0;
        if (!captureParseWhole(item, frame)) {
            reason = option + ": '" + item + "' is not a frame number";
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
