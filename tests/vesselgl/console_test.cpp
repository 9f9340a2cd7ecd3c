#include "console.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe()
    {
        int fds[2];
        if (pipe(fds) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
    ~Pipe()
    {
        closeWrite();
        if (read >= 0) close(read);
    }
    void closeWrite()
    {
        if (write >= 0) close(write);
        write = -1;
    }
};

long elapsedMs(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

constexpr int kLongWaitMs = 5000;  // only ever reached if the early end is broken
constexpr int kShortWaitMs = 150;

}  // namespace

TEST(ConsoleWaitKey, InputOrEndOfInputEndsTheWaitEarly)
{
    Pipe withKey;
    ASSERT_EQ(write(withKey.write, "xy", 2), 2);
    Pipe closed;
    closed.closeWrite();
    for (int fd : {withKey.read, closed.read}) {
        const Clock::time_point start = Clock::now();
        EXPECT_TRUE(consoleWaitKey(fd, kLongWaitMs));
        EXPECT_LT(elapsedMs(start), kLongWaitMs / 2);
    }
    char rest = 0;
    ASSERT_EQ(read(withKey.read, &rest, 1), 1);
    EXPECT_EQ(rest, 'y') << "exactly one byte is consumed";
}

TEST(ConsoleWaitKey, WithoutInputTheWholeWaitRuns)
{
    Pipe idle;
    const int cases[] = {idle.read, -1, 9999};  // an idle pipe; descriptors that are not open
    for (int fd : cases) {
        const Clock::time_point start = Clock::now();
        EXPECT_FALSE(consoleWaitKey(fd, kShortWaitMs)) << "fd " << fd;
        EXPECT_GE(elapsedMs(start), kShortWaitMs - 5) << "fd " << fd;
    }
}

TEST(ConsoleWaitKey, TerminalTakesOneKeyWithoutEnterAndGetsItsModeBack)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
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
