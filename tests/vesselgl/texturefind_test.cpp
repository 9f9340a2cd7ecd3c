// Where the GL demo looks for its texture: the working directory, then the
// data folder installed with the program, then nowhere.
#include "texturefind.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(TextureLookup, TriesTheWorkingDirectoryThenTheDataFolderThenNothing)
{
    const fs::path previous = fs::current_path();
    const fs::path root =
        fs::temp_directory_path() / ("vesselgl_find_" + std::to_string(std::random_device{}()));
    const fs::path data = root / "share" / "tubedemos";
    fs::create_directories(root / "work");
    fs::create_directories(data);
    fs::current_path(root / "work");
    const std::vector<std::string> places = texturePlaces(kTextureFile, data.string());
    ASSERT_EQ(places.size(), 2u);
    EXPECT_TRUE(fs::equivalent(fs::path(places[1]).parent_path(), data));

    EXPECT_EQ(textureFirstPresent(places), "") << "nowhere";
    EXPECT_EQ(textureLocate(kTextureFile), kTextureFile) << "nowhere: the name, which fails to load";
    std::ofstream(data / kTextureFile) << "d";
    EXPECT_EQ(textureFirstPresent(places), places[1]) << "the data folder's";
    std::ofstream(kTextureFile) << "w";
    EXPECT_EQ(textureFirstPresent(places), kTextureFile) << "the working directory's first";
    EXPECT_EQ(texturePlaces(kTextureFile, "").size(), 1u) << "no data folder: the web page";

    fs::current_path(previous);
    fs::remove_all(root);
}

}  // namespace
