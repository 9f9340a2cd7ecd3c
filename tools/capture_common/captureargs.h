// Argument rules shared by the capture tools: options come as name and value
// pairs, each known option at most once; numbers are whole decimal numbers;
// frame lists are comma-separated. Failures give a one-line reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CaptureArg {
    std::string name;   // "--frames"
    std::string value;  // "300"
};

// args excludes the program name.
bool captureSplitArgs(const std::vector<std::string>& args, const std::vector<std::string>& known,
                      std::vector<CaptureArg>& pairs, std::string& reason);

// Optional sign and decimal digits only, in range for int32_t.
bool captureParseWhole(const std::string& text, int32_t& value);

// "3,1,3" becomes {1, 3}: sorted, repeats dropped. reason names the option.
bool captureParseFrameList(const std::string& option, const std::string& text,
                           std::vector<int32_t>& frames, std::string& reason);

// Every listed frame lies in 1..frames.
bool captureCheckFrameList(const std::string& option, const std::vector<int32_t>& list,
                           int32_t frames, std::string& reason);
