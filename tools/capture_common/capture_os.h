// The capture tools' few operating-system services, one source file per
// platform (capture_os.cpp for POSIX systems, capture_os_win.cpp for Windows).
// Failures return false with the system's own reason, one line, in why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A file open for writing: a descriptor on POSIX systems, a HANDLE on Windows.
struct CaptureOsFile {
    intptr_t handle = -1;  // -1: none
};

// Called first: past a file-size limit a write then fails with EFBIG and is
// reported, instead of a signal ending the tool with a partial file behind.
void captureOsPrepare();

// False when standard output is not an open file at all, with errno saying why.
bool captureOsStdoutOpen();

// How an output name is written. A name that exists and is no regular file
// (a device, a pipe; through a link too) is opened in place: file is set. A
// missing name or a regular file is left to a temporary file renamed onto
// target: the name itself, or the file a link at the name points to. A
// socket, a link to nothing and a name that cannot be looked at fail.
bool captureOsOpenTarget(const std::string& path, CaptureOsFile& file, std::string& target,
                         std::string& why);

// Creates name exclusively, never through a link or onto anything already
// there; exists tells when that was why it failed.
bool captureOsCreateNew(const std::string& name, CaptureOsFile& file, bool& exists,
                        std::string& why);

// Writes all size bytes.
bool captureOsWrite(const CaptureOsFile& file, const void* data, size_t size, std::string& why);

// Closes the file (some file systems report a failed write only here); the
// handle is -1 afterwards either way.
bool captureOsClose(CaptureOsFile& file, std::string& why);

// Puts from in the place of to in one step: to is never missing meanwhile,
// and a failure leaves it as it was.
bool captureOsReplace(const std::string& from, const std::string& to, std::string& why);

// Removes a temporary file, silently.
void captureOsRemove(const std::string& name);

// True when the two full paths name one file as this system compares names.
bool captureOsSamePath(const std::string& a, const std::string& b);
