// Where the GL demo looks for its texture: the working directory, then the
// data folder installed with the program, then nowhere.
#include "texturefind.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A working directory and a data folder, each with or without the texture;
// the test runs in the working directory and returns to where it was.
struct LookupTree {
    fs::path root = fs::temp_directory_path() /
                    ("vesselgl_find_" + std::to_string(std::random_device{}()));
    fs::path work = root / "work";
    fs::path data = root / "share" / "tubedemos";
    fs::path previous = fs::current_path();

    LookupTree(bool inWork, bool inData)
    {
        fs::create_directories(work);
        fs::create_directories(data);
        if (inWork) {
            std::ofstream(work / kTextureFile) << "w";
        }
        if (inData) {
            std::ofstream(data / kTextureFile) << "d";
        }
        fs::current_path(work);
    }
    ~LookupTree()
    {
        fs::current_path(previous);
        fs::remove_all(root);
    }
};

TEST(TextureLookup, TriesTheWorkingDirectoryThenTheDataFolderThenNothing)
{
    struct Case {
        bool inWork;
        bool inData;
        const char* found;  // "work", "data" or "" (nowhere)
    };
    for (const Case c : {Case{true, true, "work"}, Case{false, true, "data"},
                         Case{true, false, "work"}, Case{false, false, ""}}) {
        const LookupTree tree(c.inWork, c.inData);
        const std::vector<std::string> places = texturePlaces(kTextureFile, tree.data.string());
        ASSERT_EQ(places.size(), 2u);
        const std::string expected = std::string(c.found) == "work"   ? kTextureFile
                                     : std::string(c.found) == "data" ? places[1]
                                                                      : "";
        EXPECT_EQ(textureFirstPresent(places), expected) << c.inWork << c.inData;
        if (!expected.empty()) {
            EXPECT_EQ(fs::path(expected).filename(), kTextureFile);
            EXPECT_TRUE(fs::equivalent(expected, (c.inWork ? tree.work : tree.data) / kTextureFile));
        }
    }
}

TEST(TextureLookup, WithoutADataFolderOnlyTheWorkingDirectoryCounts)
{
    const LookupTree tree(false, true);
    EXPECT_EQ(texturePlaces(kTextureFile, ""), std::vector<std::string>{kTextureFile});
    EXPECT_EQ(textureFirstPresent(texturePlaces(kTextureFile, "")), "");
    // Nowhere to be found (this test program has no installed data folder):
    // the working directory's name, which then fails to load as missing.
    EXPECT_EQ(textureLocate(kTextureFile), kTextureFile);
}

}  // namespace
