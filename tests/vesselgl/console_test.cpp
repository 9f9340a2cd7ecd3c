// The console's wait for a key: a byte or the end of input ends it early and
// only one byte is taken; without input (or without a usable descriptor) it
// runs its whole time; a terminal gives its key without Enter and gets its
// mode back.
#include "console.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLongWaitMs = 5000;  // only ever reached if the early end is broken
constexpr int kShortWaitMs = 150;

long elapsedMs(Clock::time_point start)
{
    const auto elapsed = Clock::now() - start;
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

TEST(ConsoleWaitKey, InputOrItsEndEndsTheWaitEarlyAndNothingElseDoes)
{
    int withKey[2];
    int closed[2];
    int idle[2];
    ASSERT_EQ(pipe(withKey) | pipe(closed) | pipe(idle), 0);
    ASSERT_EQ(write(withKey[1], "xy", 2), 2);
    close(closed[1]);
    for (const int fd : {withKey[0], closed[0]}) {
        const Clock::time_point start = Clock::now();
        EXPECT_TRUE(consoleWaitKey(fd, kLongWaitMs));
        EXPECT_LT(elapsedMs(start), kLongWaitMs / 2);
    }
    char rest = 0;
    ASSERT_EQ(read(withKey[0], &rest, 1), 1);
    EXPECT_EQ(rest, 'y') << "exactly one byte is consumed";
    for (const int fd : {idle[0], -1, 9999}) {  // an idle pipe; descriptors that are not open
        const Clock::time_point start = Clock::now();
        EXPECT_FALSE(consoleWaitKey(fd, kShortWaitMs)) << "fd " << fd;
        EXPECT_GE(elapsedMs(start), kShortWaitMs - 5) << "fd " << fd;
    }
    for (const int fd : {withKey[0], withKey[1], closed[0], idle[0], idle[1]}) {
        close(fd);
    }
}

TEST(ConsoleWaitKey, TerminalTakesOneKeyWithoutEnterAndGetsItsModeBack)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(slave, &before), 0);
    ASSERT_NE(before.c_lflag & ICANON, 0u) << "a fresh terminal starts line by line";
    // Without Enter a line-buffered terminal would not report the key at all.
    ASSERT_EQ(write(master, "q", 1), 1);
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(consoleWaitKey(slave, kLongWaitMs));
    EXPECT_LT(elapsedMs(start), kLongWaitMs / 2);
    termios after{};
    ASSERT_EQ(tcgetattr(slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    EXPECT_EQ(after.c_cc[VTIME], before.c_cc[VTIME]);
    close(slave);
    close(master);
}

}  // namespace
