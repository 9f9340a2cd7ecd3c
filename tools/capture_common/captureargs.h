// Argument rules shared by the capture tools: options come as name and value
// pairs, each known option at most once; numbers are whole decimal numbers;
// frame lists are comma-separated. A failure gives a reason of one short line
// that quotes the offending value as captureShown does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CaptureArg {
    std::string name;   // "--frames"
    std::string value;  // "300"
};

// A value from the command line as messages quote it: in single quotes, cut
// in the middle when long, control characters as '?', so it stays one line.
std::string captureShown(const std::string& value);

// True when --help stands where an option's name goes.
bool captureWantsHelp(const std::vector<std::string>& args);
// True when --version stands where an option's name goes.
bool captureWantsVersion(const std::vector<std::string>& args);

// args excludes the program name; every name must be one of known.
bool captureSplitArgs(const std::vector<std::string>& args, const std::vector<std::string>& known,
                      std::vector<CaptureArg>& pairs, std::string& reason);

// False with "missing option NAME" when a required option is absent.
bool captureRequire(const std::vector<CaptureArg>& pairs,
                    const std::vector<std::string>& required, std::string& reason);

// Optional sign and decimal digits only, in range for int32_t.
bool captureParseWhole(const std::string& text, int32_t& value);

// A frame count of at least 1 for option (--frames).
bool captureParseFrameCount(const CaptureArg& arg, int32_t& frames, std::string& reason);

// "3,1,3" becomes {1, 3}: sorted, repeats dropped.
bool captureParseFrameList(const CaptureArg& arg, std::vector<int32_t>& frames,
                           std::string& reason);

// Every listed frame lies in 1..frames; option names the list in the reason.
bool captureCheckFrameList(const std::string& option, const std::vector<int32_t>& list,
                           int32_t frames, std::string& reason);
