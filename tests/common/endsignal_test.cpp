// The end signals: the first one decides the exit status, later ones change
// nothing, and none of them ends the process by itself.
#include "endsignal.h"

#include <gtest/gtest.h>

#include <signal.h>

namespace {

TEST(EndSignal, TheFirstSignalIsKeptAndGivesItsStatus)
{
    EXPECT_EQ(endSignalNumber(), 0);
    EXPECT_EQ(endSignalExitStatus(0), 0);
    endSignalsWatch();
    ASSERT_EQ(raise(SIGHUP), 0);
    ASSERT_EQ(raise(SIGINT), 0);  // a second signal while the demo ends
    ASSERT_EQ(raise(SIGTERM), 0);
    EXPECT_EQ(endSignalNumber(), SIGHUP);
    EXPECT_EQ(endSignalExitStatus(0), 129);
}

}  // namespace
