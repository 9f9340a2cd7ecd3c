// The demos' command line. Each option is a flag; any order, repeats allowed.
// An argument the program does not know is reported with the usage on standard
// error and then ignored, so a caller that passed something before the demos
// read their command line is never turned away: the demo runs as designed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct DemoProgram {
    const char* name;     // "helixsoft", as messages and the usage name it
    bool offersPaced;     // --paced belongs to helixsoft alone: vesselgl waits for the retrace
};

inline constexpr DemoProgram kHelixsoftProgram{"helixsoft", true};
inline constexpr DemoProgram kVesselglProgram{"vesselgl", false};

struct RunOptions {
    bool window = false;  // a normal window; the display mode is never changed
    bool paced = false;   // one frame per display refresh
    bool fps = false;     // a frame-rate line on standard error every 5 seconds
    bool help = false;
    bool version = false;
    std::vector<std::string> unknown;  // in the order given
};

// args excludes the program's own name.
RunOptions runOptionsParse(const DemoProgram& program, const std::vector<std::string>& args);

// The usage text, several lines, each ending in a line break.
std::string runOptionsUsage(const DemoProgram& program);

// A value from the command line as messages quote it: in single quotes, cut in
// the middle when long, control characters as '?', so it stays one line.
std::string argumentShown(const std::string& value);

// What the program says before it runs: the usage on out for --help, the
// version for --version (true: the program ends with status 0 without
// running); otherwise each unknown argument on err, then the usage once.
bool runOptionsAnswer(const DemoProgram& program, const RunOptions& options, std::FILE* out,
                      std::FILE* err);

// Parses argv and answers as above: the programs' one call.
bool runOptionsRead(const DemoProgram& program, int argc, const char* const* argv,
                    RunOptions& options);
