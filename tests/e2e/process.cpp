// Child processes for the end-to-end tests. Output goes to files, so a chatty
// program can never block on a full pipe, and every child is killed with its
// parent, so a failed test leaves no demo running.
#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::string outputFile()
{
    char path[] = "/tmp/e2e_output_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        return {};
    }
    close(fd);
    return path;
}

[[noreturn]] void execChild(const std::vector<std::string>& argv, const ChildOptions& options,
                            const ChildProcess& child)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) {
        _exit(126);
    }
    for (const std::string& name : options.unsetEnv) {
        unsetenv(name.c_str());
    }
    for (const auto& [name, value] : options.setEnv) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    dup2(open(child.outPath.c_str(), O_WRONLY | O_TRUNC), STDOUT_FILENO);
    dup2(open(child.errPath.c_str(), O_WRONLY | O_TRUNC), STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

std::string takeFile(std::string& path)
{
    const std::string text = readFile(path);
    unlink(path.c_str());
    path.clear();
    return text;
}

}  // namespace

bool childStart(ChildProcess& child, const std::vector<std::string>& argv,
                const ChildOptions& options)
{
    child = ChildProcess{};
    child.outPath = outputFile();
    child.errPath = outputFile();
    if (argv.empty() || child.outPath.empty() || child.errPath.empty()) {
        return false;
    }
    child.pid = fork();
    if (child.pid == 0) {
        execChild(argv, options, child);
    }
    return child.pid > 0;
}

bool childWait(ChildProcess& child, int timeoutMs, int& exitStatus)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (child.pid > 0) {
        int status = 0;
        if (waitpid(child.pid, &status, WNOHANG) == child.pid) {
            child.pid = -1;
            child.out = takeFile(child.outPath);
            child.err = takeFile(child.errPath);
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            child.endSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void childKill(ChildProcess& child)
{
    if (child.pid > 0) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, nullptr, 0);
        child.pid = -1;
    }
    for (std::string* path : {&child.outPath, &child.errPath}) {
        if (!path->empty()) {
            takeFile(*path);
        }
    }
}

std::string firstDifference(const std::string& actual, const std::string& expected)
{
    std::istringstream a(actual);
    std::istringstream e(expected);
    std::string lineA;
    std::string lineE;
    while (std::getline(e, lineE)) {
        if (!std::getline(a, lineA) || lineA != lineE) {
            return "expected " + lineE + ", got " + lineA;
        }
    }
    return std::getline(a, lineA) ? "extra " + lineA : "";
}
