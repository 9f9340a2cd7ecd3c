// Parsing, usage and the program's answers to its command line, shared by both demos.
#include "runoptions.h"

#include "version.h"

namespace {

constexpr size_t kShownMax = 64;  // longer values are shown cut in the middle

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Whether the option is this program's; the flag it sets, or nullptr.
bool* optionFlag(const DemoProgram& program, RunOptions& options, const std::string& arg)
{
    if (arg == "--window") {
        return &options.window;
    }
    if (arg == "--paced" && program.offersPaced) {
        return &options.paced;
    }
    if (arg == "--fps") {
        return &options.fps;
    }
    if (arg == "--help") {
        return &options.help;
    }
    if (arg == "--version") {
        return &options.version;
    }
    return nullptr;
}

}  // namespace

RunOptions runOptionsParse(const DemoProgram& program, const std::vector<std::string>& args)
{
    RunOptions options;
    for (const std::string& arg : args) {
        bool* flag = optionFlag(program, options, arg);
        if (flag != nullptr) {
            *flag = true;
        } else {
            options.unknown.push_back(arg);
        }
    }
    return options;
}

std::string runOptionsUsage(const DemoProgram& program)
{
    const std::string name = program.name;
    std::string usage = "usage: " + name + " [--window]" + (program.offersPaced ? " [--paced]" : "") +
                        " [--fps] | --help | --version\n"
                        "  --window   run in a normal window, at the largest whole multiple of\n"
                        "             640x480 that fits the screen; the display mode is left alone\n";
    if (program.offersPaced) {
        usage += "  --paced    draw one frame per display refresh instead of as fast as it can\n";
    }
    usage += "  --fps      print the frame rate on standard error every 5 seconds\n"
             "  --help     print this help and exit\n"
             "  --version  print the version and exit\n"
             "Without options " + name + " takes the whole display at 640x480" +
             (program.offersPaced ? " and draws unpaced.\n" : ".\n");
    return usage;
}

std::string argumentShown(const std::string& value)
{
    std::string shown = value;
    if (shown.size() > kShownMax) {
        // Cut at character starts, so a UTF-8 sequence is never split.
        size_t head = kShownMax / 2;
        while (head > 0 && isContinuationByte(shown[head])) {
            --head;
        }
        size_t tail = shown.size() - kShownMax / 2;
        while (tail < shown.size() && isContinuationByte(shown[tail])) {
            ++tail;
        }
        shown = shown.substr(0, head) + "..." + shown.substr(tail);
    }
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        c = byte < 0x20 || byte == 0x7F ? '?' : c;  // the message stays one line
    }
    return "'" + shown + "'";
}

bool runOptionsAnswer(const DemoProgram& program, const RunOptions& options, std::FILE* out,
                      std::FILE* err)
{
    if (options.help) {
        std::fputs(runOptionsUsage(program).c_str(), out);
        std::fflush(out);
        return true;
    }
    if (options.version) {
        std::fprintf(out, "%s %s\n", program.name, kTubeVersion);
        std::fflush(out);
        return true;
    }
    if (!options.unknown.empty()) {
        for (const std::string& arg : options.unknown) {
            std::fprintf(err, "%s: unknown option %s, ignored\n", program.name,
                         argumentShown(arg).c_str());
        }
        std::fputs(runOptionsUsage(program).c_str(), err);
        std::fflush(err);
    }
    return false;
}

bool runOptionsRead(const DemoProgram& program, int argc, const char* const* argv,
                    RunOptions& options)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    options = runOptionsParse(program, args);
    return runOptionsAnswer(program, options, stdout, stderr);
}
