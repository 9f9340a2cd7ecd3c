// The demos' command line: which flags each program knows, what is reported and
// where, and the 4:3 area the pictures are shown in, against sizes worked out
// by hand.
#include "presentarea.h"
#include "runoptions.h"
#include "version.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct ParseCase {
    std::vector<std::string> args;
    bool window, paced, fps, help, version;
    std::vector<std::string> unknown;
};

TEST(RunOptions, EachProgramKnowsItsFlagsAndKeepsTheRestAsUnknown)
{
    const ParseCase helixsoft[] = {
        {{}, false, false, false, false, false, {}},
        {{"--fps", "--window", "--paced", "--window"}, true, true, true, false, false, {}},
        {{"--help", "--version"}, false, false, false, true, true, {}},
        {{"--window=1", "-window", "", "--Window", "window"}, false, false, false, false, false,
         {"--window=1", "-window", "", "--Window", "window"}},
    };
    for (const ParseCase& c : helixsoft) {
        const RunOptions o = runOptionsParse(kHelixsoftProgram, c.args);
        EXPECT_EQ(std::tuple(o.window, o.paced, o.fps, o.help, o.version, o.unknown),
                  std::tuple(c.window, c.paced, c.fps, c.help, c.version, c.unknown));
    }
    // vesselgl always waits for the retrace: --paced is not its option.
    const RunOptions vesselgl = runOptionsParse(kVesselglProgram, {"--paced", "--window"});
    EXPECT_FALSE(vesselgl.paced);
    EXPECT_TRUE(vesselgl.window);
    EXPECT_EQ(vesselgl.unknown, std::vector<std::string>{"--paced"});
    EXPECT_NE(runOptionsUsage(kHelixsoftProgram).find("--paced"), std::string::npos);
    EXPECT_EQ(runOptionsUsage(kVesselglProgram).find("--paced"), std::string::npos);
}

std::string readBack(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text.push_back(static_cast<char>(c));
    }
    return text;
}

struct Answer {
    bool ends;
    std::string out;
    std::string err;
};

Answer answer(const DemoProgram& program, const std::vector<std::string>& args)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Answer a{runOptionsAnswer(program, runOptionsParse(program, args), out, err), readBack(out),
             readBack(err)};
    std::fclose(out);
    std::fclose(err);
    return a;
}

TEST(RunOptions, HelpAndVersionEndTheProgramAndUnknownArgumentsAreReportedOnce)
{
    const std::string usage = runOptionsUsage(kHelixsoftProgram);
    const Answer help = answer(kHelixsoftProgram, {"--bogus", "--help", "--version"});
    EXPECT_TRUE(help.ends);
    EXPECT_EQ(help.out, usage);
    EXPECT_EQ(help.err, "");
    const Answer version = answer(kVesselglProgram, {"--fps", "--version"});
    EXPECT_TRUE(version.ends);
    EXPECT_EQ(version.out, "vesselgl " + std::string(kTubeVersion) + "\n");
    const Answer unknown = answer(kHelixsoftProgram, {"--window", "-x", "a\nb", "--fps"});
    EXPECT_FALSE(unknown.ends) << "the demo still runs";
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "helixsoft: unknown option '-x', ignored\n"
                           "helixsoft: unknown option 'a?b', ignored\n" + usage);
}

struct AreaCase {
    int32_t outputWidth, outputHeight;
    bool wholeMultiples;
    PresentArea area;
};

TEST(PresentArea, CentresTheLargest4To3AreaByWholeMultiplesOrToFit)
{
    const AreaCase cases[] = {
        {640, 480, true, {0, 0, 640, 480}},
        {640, 480, false, {0, 0, 640, 480}},
        {1920, 1080, true, {320, 60, 1280, 960}},    // x2: 2x3 would be 1440 high
        {1920, 1080, false, {240, 0, 1440, 1080}},   // the screen's height
        {1281, 963, true, {0, 1, 1280, 960}},        // odd margins: the extra pixel right and below
        {1000, 2000, false, {0, 625, 1000, 750}},    // a tall output: its width
        {600, 480, true, {0, 15, 600, 450}},         // below 1x: scaled down to fit
        {641, 480, false, {0, 0, 640, 480}},         // 480 x 4 / 3 = 640 exactly
        {643, 481, false, {1, 0, 641, 481}},         // 481 x 4 / 3 = 641.33, rounded down
        {0, 480, true, {}},
        {640, -1, false, {}},
    };
    for (const AreaCase& c : cases) {
        const PresentArea a = presentAreaFit(c.outputWidth, c.outputHeight, 640, 480, c.wholeMultiples);
        EXPECT_EQ(std::tuple(a.x, a.y, a.width, a.height),
                  std::tuple(c.area.x, c.area.y, c.area.width, c.area.height))
            << c.outputWidth << "x" << c.outputHeight;
    }
    EXPECT_EQ(windowScaleFor(1920, 1050, 640, 480), 2);
    EXPECT_EQ(windowScaleFor(3840, 2160, 640, 480), 4);
    EXPECT_EQ(windowScaleFor(1920, 1440, 640, 480), 3);
    EXPECT_EQ(windowScaleFor(800, 479, 640, 480), 1) << "at least 1x";
    EXPECT_EQ(windowScaleFor(0, 0, 640, 480), 1) << "an unknown work area";
}

}  // namespace
