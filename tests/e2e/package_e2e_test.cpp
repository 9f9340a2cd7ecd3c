// The installed package as a user meets it: each demo started with its menu
// entry's command, from /, as the unprivileged user nobody with a login's
// fresh environment, and in a private mount namespace where the source and
// build folders are covered by empty ones, so nothing of the build can help.
// Skipped unless $TUBE_PACKAGE_TESTS names the installation's prefix, as
// scripts/test-package.sh does once it has installed the package.
#include "conventions.h"
#include "glscreen.h"
#include "process.h"
#include "xdriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWindowTimeoutMs = 30000;
constexpr int kExitTimeoutMs = 20000;
constexpr const char* kPrefixVariable = "TUBE_PACKAGE_TESTS";

std::string installedPrefix()
{
    const char* prefix = std::getenv(kPrefixVariable);
    return prefix == nullptr ? std::string() : std::string(prefix);
}

// The command of a menu entry's Exec line, split at spaces (the entries
// have no quoting and no field codes); empty when there is none.
std::vector<std::string> menuCommand(const std::string& demo)
{
    std::ifstream entry(installedPrefix() + "/share/applications/" + demo + ".desktop");
    std::string line;
    while (std::getline(entry, line)) {
        if (line.rfind("Exec=", 0) == 0) {
            std::istringstream words(line.substr(5));
            std::vector<std::string> command;
            for (std::string word; words >> word;) {
                command.push_back(word);
            }
            return command;
        }
    }
    return {};
}

// The folders a build could lend the programs: the build folder when it lies
// apart from the sources, then the sources (which usually hold it).
std::vector<std::string> foldersToHide()
{
    const fs::path source = fs::weakly_canonical(TUBE_SOURCE_DIR);
    const fs::path build = fs::weakly_canonical(TUBE_BUILD_DIR);
    const std::string relative = build.lexically_relative(source).string();
    std::vector<std::string> folders;
    if (relative.empty() || relative.rfind("..", 0) == 0) {
        folders.push_back(build.string());
    }
    folders.push_back(source.string());
    return folders;
}

// unshare, then sh mounts an empty tmpfs over each folder and hands over to
// setpriv, which becomes nobody with a fresh login environment (PATH, HOME,
// SHELL), to which env adds the display.
std::vector<std::string> asAUserFromRoot(const std::vector<std::string>& command,
                                         const std::string& display)
{
    const std::vector<std::string> hidden = foldersToHide();
    std::vector<std::string> argv = {
        "/usr/bin/unshare", "--mount", "--propagation", "private", "--", "/bin/sh", "-c",
        "n=$1; shift; while [ \"$n\" -gt 0 ]; do "
        "mount -t tmpfs -o size=64k,mode=755 hidden \"$1\" || exit 125; shift; n=$((n-1)); done; "
        "exec setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env -- \"$@\"",
        "sh", std::to_string(hidden.size())};
    argv.insert(argv.end(), hidden.begin(), hidden.end());
    argv.insert(argv.end(), {"/usr/bin/env", "DISPLAY=" + display});
    argv.insert(argv.end(), command.begin(), command.end());
    return argv;
}

class InstalledPackage : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (installedPrefix().empty()) {
            GTEST_SKIP() << kPrefixVariable << " is not set (scripts/test-package.sh sets it)";
        }
    }
};

// One demo started from its menu entry in its own X server.
struct MenuRun {
    XServerProcess server;
    ChildProcess child;

    ~MenuRun()
    {
        childKill(child);
        xvfbStop(server);
    }
};

bool startFromMenu(MenuRun& run, const std::string& demo)
{
    const std::vector<std::string> command = menuCommand(demo);
    ChildOptions options;
    options.workDir = "/";
    return !command.empty() && xvfbStart(run.server, kScreenWidth, kScreenHeight, 24) &&
           childStart(run.child, asAUserFromRoot(command, run.server.display), options);
}

void expectSilentEnd(MenuRun& run)
{
    int status = -1;
    ASSERT_TRUE(childWait(run.child, kExitTimeoutMs, status)) << "the demo did not end";
    EXPECT_EQ(status, 0) << run.child.err;
    EXPECT_EQ(run.child.out, "");
}

TEST_F(InstalledPackage, VesselglFromTheMenuShowsTheTexturedTubeAndEndsOnEscape)
{
    ASSERT_FALSE(fs::exists("/artery.tga")) << "the texture must come from the data folder";
    EXPECT_EQ(menuCommand("vesselgl"), std::vector<std::string>{"vesselgl"});
    MenuRun run;
    ASSERT_TRUE(startFromMenu(run, "vesselgl"));
    Screenshot shot;
    ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs, shot))
        << readFile(run.child.outPath) << readFile(run.child.errPath);
    PictureDiff best;
    EXPECT_GT(capturedFrameLike(pictureOf(shot), VESSELGL_ASSET, best), 0)
        << "not the textured tube; closest " << describeDiff(best);
    ASSERT_TRUE(xSendKey(run.server.display, "Escape"));
    expectSilentEnd(run);
}

TEST_F(InstalledPackage, HelixsoftFromTheMenuShowsTheTubeAndEndsOnAKey)
{
    EXPECT_EQ(menuCommand("helixsoft"), std::vector<std::string>{"helixsoft"});
    MenuRun run;
    ASSERT_TRUE(startFromMenu(run, "helixsoft"));
    Screenshot shot;
    ASSERT_TRUE(firstLitShot(run.server.display, kWindowTimeoutMs, shot))
        << readFile(run.child.outPath) << readFile(run.child.errPath);
    ASSERT_TRUE(xSendKey(run.server.display, "q"));
    expectSilentEnd(run);
}

}  // namespace
