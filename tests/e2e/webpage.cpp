// The driver runs as a child process with a generous limit: a page may render
// a thousand frames before its title says so.
#include "webpage.h"

#include "process.h"

#include <sstream>

namespace {

constexpr int kDriverTimeoutMs = 240000;

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

WebDriverRun webDriverRun(const std::string& site, const std::vector<std::string>& commands)
{
    std::vector<std::string> argv = {NODE_PROGRAM, WEBDRIVER_PATH, "run", site};
    argv.insert(argv.end(), commands.begin(), commands.end());
    WebDriverRun run;
    ChildProcess child;
    if (childStart(child, argv, ChildOptions{}) && !childWait(child, kDriverTimeoutMs, run.status)) {
        run.status = -1;
    }
    childKill(child);
    run.transcript = child.err + child.out;
    std::istringstream out(child.out);
    for (std::string line; std::getline(out, line);) {
        if (startsWith(line, "eval: ")) {
            run.evals.push_back(line.substr(6));
        } else if (startsWith(line, "console error") || startsWith(line, "webdriver:")) {
            run.problems.push_back(line);
        }
    }
    return run;
}

void appendLongRunCommands(std::vector<std::string>& commands, const std::string& page, int slower)
{
    const std::string started = "demoPage.module.frameStats && demoPage.module.frameStats.presents";
    commands.insert(commands.end(), {
        "throttle", std::to_string(slower), "open", page, "wait", started + " > 1", "sleep", "1000",
        "eval", "at = [performance.now()]; requestAnimationFrame(function frame() {"
                " at.push(performance.now()); requestAnimationFrame(frame); }), 0",
        "sleep", "3000", "eval", "(g => demoPage.state !== 'running' ? 'ended' : g[g.length >> 1]"
        " < 125 && g.at(-1) < 1000 ? 'responsive' : 'median and longest gap ' + g[g.length >> 1]"
        " + ' ' + g.at(-1))(at.concat(performance.now()).slice(1).map((t, i) => t - at[i]).sort("
        "(a, b) => a - b))"});
}
