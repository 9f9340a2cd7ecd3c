// The texture's places and the choice among them; the program's data folder
// comes from the platform's programdir unit.
#include "texturefind.h"

#include "programdir.h"

#include <filesystem>
#include <system_error>

std::vector<std::string> texturePlaces(const std::string& fileName, const std::string& dataDir)
{
    std::vector<std::string> places{fileName};
    if (!dataDir.empty()) {
        places.push_back((std::filesystem::path(dataDir) / fileName).string());
    }
    return places;
}

std::string textureFirstPresent(const std::vector<std::string>& places)
{
    for (const std::string& place : places) {
        std::error_code error;  // a folder that cannot be searched holds nothing for us
        if (std::filesystem::exists(place, error)) {
            return place;
        }
    }
    return {};
}

std::string textureLocate(const std::string& fileName)
{
    const std::string found = textureFirstPresent(texturePlaces(fileName, programDataDir()));
    return found.empty() ? fileName : found;
}
