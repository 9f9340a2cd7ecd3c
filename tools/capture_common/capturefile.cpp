// Output files of the capture tools over the platform's file services
// (capture_os.h). Temporary files are ".capture-" and 16 random hex digits,
// ".partial", beside the name they replace: short whatever that name's
// length, and never one that a planted file could have taken in advance.
#include "capturefile.h"

#include "captureargs.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kCreateTries = 16;  // 64 random bits: a clash is already unheard of

bool fail(const std::string& path, const std::string& why, std::string& reason)
{
    reason = "cannot write " + captureShown(path) + ": " + why;
    return false;
}

std::string temporaryName(const std::string& target, std::random_device& random)
{
    const uint64_t bits = (uint64_t(random()) << 32) ^ random();
    char name[48];
    std::snprintf(name, sizeof name, ".capture-%016" PRIx64 ".partial", bits);
    const fs::path folder = fs::path(target).parent_path();
    return folder.empty() ? std::string(name) : (folder / name).string();
}

// A fresh file beside target, created exclusively, so that nothing already
// there (a link, a pipe, another run's file) is ever opened.
bool createTemporary(const std::string& target, CaptureOsFile& os, std::string& temporary,
                     std::string& why)
{
    try {
        std::random_device random;
        bool exists = true;
        for (int i = 0; i < kCreateTries && exists; ++i) {
            temporary = temporaryName(target, random);
            if (captureOsCreateNew(temporary, os, exists, why)) {
                return true;
            }
        }
        why = exists ? "no free name for a temporary file" : why;
    } catch (const std::exception& error) {  // no source of random numbers
        why = error.what();
    }
    temporary.clear();
    return false;
}

// The name with what exists of it resolved (links included) and the rest
// taken as written, so that names of files still to be made compare too.
std::string fullName(const std::string& name)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(name, error);
    const fs::path resolved = fs::weakly_canonical(absolute, error);
    return (error ? absolute : resolved).lexically_normal().string();
}

}  // namespace

bool captureFileOpen(const std::string& path, CaptureFile& file, std::string& reason)
{
    file = CaptureFile{};
    file.path = path;
    std::string why;
    if (!captureOsOpenTarget(path, file.os, file.target, why)) {
        return fail(path, why, reason);
    }
    if (file.os.handle == -1 && !createTemporary(file.target, file.os, file.temporary, why)) {
        return fail(path, why, reason);
    }
    return true;
}

bool captureFileWrite(CaptureFile& file, const void* data, size_t size, std::string& reason)
{
    std::string why;
    return captureOsWrite(file.os, data, size, why) || fail(file.path, why, reason);
}

bool captureFileCommit(CaptureFile& file, std::string& reason)
{
    std::string why;
    const bool written = captureOsClose(file.os, why) &&
                         (file.temporary.empty() ||
                          captureOsReplace(file.temporary, file.target, why));
    if (!written) {
        captureFileAbandon(file);
        return fail(file.path, why, reason);
    }
    return true;
}

void captureFileAbandon(CaptureFile& file)
{
    std::string ignored;
    if (file.os.handle != -1) {
        captureOsClose(file.os, ignored);
    }
    if (!file.temporary.empty()) {
        captureOsRemove(file.temporary);
        file.temporary.clear();
    }
}

bool captureWriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string& reason)
{
    CaptureFile file;
    if (!captureFileOpen(path, file, reason)) {
        return false;
    }
    if (!captureFileWrite(file, bytes.data(), bytes.size(), reason)) {
        captureFileAbandon(file);
        return false;
    }
    return captureFileCommit(file, reason);
}

bool capturePrepareDir(const std::string& dir, std::string& reason)
{
    std::error_code error;
    fs::create_directories(dir, error);
    if (!error && !fs::is_directory(dir, error) && !error) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (error) {
        reason = "cannot create directory " + captureShown(dir) + ": " + error.message();
        return false;
    }
    CaptureOsFile probe;
    std::string name;
    std::string why;
    if (!createTemporary((fs::path(dir) / "probe").string(), probe, name, why)) {
        reason = "cannot write into directory " + captureShown(dir) + ": " + why;
        return false;
    }
    captureOsClose(probe, why);
    captureOsRemove(name);
    return true;
}

bool captureSameFile(const std::string& a, const std::string& b)
{
    return captureOsSamePath(fullName(a), fullName(b));
}
