// The capture tools' files on Windows, in-process under Wine: a replacement
// that fails leaves the old file as it was, and the reason is the system's
// own message. (NUL is the Wine tests' part, with the programs themselves.)
#include "capturefile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::string systemMessage(DWORD error)
{
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        text, sizeof text, nullptr);
    std::string message(text, length);
    message.erase(message.find_last_not_of("\r\n ") + 1);
    return message;
}

// A reader holding the old file open, as an image viewer might, makes the
// replacement fail: the old file must still be there once the reader lets go.
TEST(CaptureFilesWin, AFailedReplacementKeepsTheOldFileAndSaysWhyInTheSystemsWords)
{
    const fs::path dir = fs::temp_directory_path() / "capture-files-replace";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "frame.png").string();
    std::ofstream(path, std::ios::binary) << "old";
    const HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::string reason;
    const bool written = captureWriteFile(path, {'n', 'e', 'w'}, reason);
    CloseHandle(reader);
    if (!written) {
        EXPECT_EQ(reason, "cannot write '" + path + "': " + systemMessage(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(readAll(path), written ? "new" : "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
        << "no temporary file left";

    const std::string nowhere = (dir / "missing" / "sums.txt").string();
    EXPECT_FALSE(captureWriteFile(nowhere, {'x'}, reason));
    EXPECT_EQ(reason, "cannot write '" + nowhere + "': " + systemMessage(ERROR_PATH_NOT_FOUND));
    fs::remove_all(dir);
}

}  // namespace
