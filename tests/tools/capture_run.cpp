// The shell does the redirections and wraps, so each test states them as a
// user would type them.
#include "capture_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path scratchDir(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() /
                         ("capture-test-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

RunResult runTool(const std::string& tool, const std::string& args, const fs::path& scratch,
                  const std::string& prefix, const std::string& stdoutTo)
{
    const fs::path out = scratch / "stdout.txt";
    const fs::path err = scratch / "stderr.txt";
    const std::string command = prefix + " '" + tool + "' " + args + " " +
                                (stdoutTo.empty() ? ">'" + out.string() + "'" : stdoutTo) +
                                " 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    RunResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readAll(out), readAll(err)};
    fs::remove(out);
    fs::remove(err);
    return result;
}

std::vector<std::string> fileNames(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool hasProgram(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool isSummaryLine(const std::string& text, int frames)
{
    int n = 0;
    double ms = -1.0;
    double perSecond = -1.0;
    int consumed = 0;
    const int fields = std::sscanf(text.c_str(), "rendered %d frames in %lf ms (%lf frames/s)%n",
                                   &n, &ms, &perSecond, &consumed);
    return fields == 3 && n == frames && ms >= 0.0 && perSecond >= 0.0 &&
           text.substr(static_cast<size_t>(consumed)) == "\n";
}
