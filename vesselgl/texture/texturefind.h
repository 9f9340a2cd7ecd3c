// Where the GL demo finds its texture file: the working directory first, as it
// always has, then the data folder installed with the program (programdir.h),
// so that an installed demo starts from any folder. The first place that holds
// the file is the one used, usable or not: the working directory's always wins.
#pragma once

#include <string>
#include <vector>

// The GL demo's texture, as the program and its capture tool look for it.
inline constexpr const char* kTextureFile = "artery.tga";

// fileName itself (relative to the working directory), then dataDir/fileName
// unless dataDir is "".
std::vector<std::string> texturePlaces(const std::string& fileName, const std::string& dataDir);

// The first of places that names an existing entry, links followed; "" when none does.
std::string textureFirstPresent(const std::vector<std::string>& places);

// The path to load fileName from, with this program's data folder: the first
// of its places that exists, else fileName itself, whose load then fails as a
// missing file's always has.
std::string textureLocate(const std::string& fileName);
