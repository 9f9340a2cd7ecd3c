// The harness itself, checked against a real Xvfb: if these fail, the demos'
// end-to-end results mean nothing.
#include "process.h"
#include "xdriver.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <string>


namespace {

struct DepthCase {
    int depth;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
};

class XvfbDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(XvfbDepth, ReportsTheDepthsFormatAndStops)
{
    const DepthCase c = GetParam();
    XServerProcess server;
    ASSERT_TRUE(xvfbStart(server, 640, 480, c.depth));
    Screenshot shot;
    ASSERT_TRUE(xScreenshot(server.display, shot));
    EXPECT_EQ(shot.width, 640);
    EXPECT_EQ(shot.height, 480);
    EXPECT_EQ(shot.depth, c.depth);
    EXPECT_EQ(shot.redMask, c.redMask);
    EXPECT_EQ(shot.greenMask, c.greenMask);
    EXPECT_EQ(shot.blueMask, c.blueMask);
    EXPECT_FALSE(xWaitForMappedWindow(server.display, 100));  // nothing runs yet
    EXPECT_FALSE(xRequestClose(server.display));
    // The display number may be taken again at once by a server of another
    // test, so the stop is judged by the process, not by the display.
    const pid_t pid = server.pid;
    xvfbStop(server);
    EXPECT_EQ(server.pid, -1);
    EXPECT_NE(kill(pid, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, XvfbDepth,
                         ::testing::Values(DepthCase{24, 0xFF0000, 0xFF00, 0xFF},
                                           DepthCase{16, 0xF800, 0x7E0, 0x1F},
                                           DepthCase{15, 0x7C00, 0x3E0, 0x1F},
                                           DepthCase{8, 0, 0, 0}),
                         [](const ::testing::TestParamInfo<DepthCase>& info) {
                             return "Depth" + std::to_string(info.param.depth);
                         });

TEST(XvfbServers, TwoRunSideBySideOnDifferentDisplays)
{
    XServerProcess a;
    XServerProcess b;
    ASSERT_TRUE(xvfbStart(a, 320, 240, 24));
    ASSERT_TRUE(xvfbStart(b, 320, 240, 24));
    EXPECT_NE(a.display, b.display);
    xvfbStop(a);
    xvfbStop(b);
}

TEST(ChildProcesses, CollectOutputStatusAndEnvironment)
{
    ChildProcess child;
    ChildOptions options;
    options.workDir = "/";
    options.setEnv = {{"HARNESS_VALUE", "42"}};
    options.unsetEnv = {"HOME"};
    ASSERT_TRUE(childStart(child,
                           {"/bin/sh", "-c",
                            "pwd; echo \"$HARNESS_VALUE ${HOME-unset}\"; echo oops >&2; exit 3"},
                           options));
    int status = -1;
    ASSERT_TRUE(childWait(child, 5000, status));
    EXPECT_EQ(status, 3);
    EXPECT_EQ(child.out, "/\n42 unset\n");
    EXPECT_EQ(child.err, "oops\n");
}

TEST(ChildProcesses, TimeOutThenKill)
{
    ChildProcess child;
    ASSERT_TRUE(childStart(child, {"/bin/sleep", "10"}, ChildOptions{}));
    int status = -1;
    EXPECT_FALSE(childWait(child, 100, status));
    childKill(child);
    EXPECT_EQ(child.pid, -1);
}

}  // namespace
