// The llvmpipe peer. It sets up the same frames as the renderer (start-up,
// then sceneSetUpFrame: tube, projection, sort, cull, light, off-screen test)
// before any timing, and draws each frame's triangles as the renderer fills
// them: in pixel coordinates with y downwards, Gouraud-shaded from the lit
// corner colours, farthest first, no depth buffer and no culling left to do.
// A run clears, draws and finishes every frame; only the GL's work is timed.
#include "llvmpipe_peer.h"

#include "scene.h"

#include <GL/osmesa.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/resource.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kPeerChannels = 4;

struct PeerFrame {
    std::vector<GLint> xy;        // two per corner
    std::vector<GLubyte> colour;  // RGBA per corner
};

void addCorner(PeerFrame& frame, const RasterCorner& c)
{
    frame.xy.insert(frame.xy.end(), {c.x, c.y});
    frame.colour.insert(frame.colour.end(),
                        {static_cast<GLubyte>(c.red), static_cast<GLubyte>(c.green),
                         static_cast<GLubyte>(c.blue), 255});
}

std::vector<PeerFrame> peerFrames()
{
    std::vector<PeerFrame> frames(kPeerFrames);
    SceneState scene{};
    sceneStartup(scene, SceneStart{false, kPeerStartSpin});
    for (PeerFrame& frame : frames) {
        sceneSetUpFrame(scene, scene.drawList);
        for (int32_t i = 0; i < scene.drawList.count; ++i) {
            const RowOrderedTriangle& t = scene.drawList.triangles[i];
            addCorner(frame, t.top);
            addCorner(frame, t.middle);
            addCorner(frame, t.bottom);
        }
    }
    return frames;
}

bool writeAll(int fd, const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n <= 0) {
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, void* data, size_t size)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, bytes, size);
        if (n <= 0) {
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool sendText(int fd, const std::string& text)
{
    const auto size = static_cast<uint32_t>(text.size());
    return writeAll(fd, &size, sizeof size) && writeAll(fd, text.data(), size);
}

bool openContext(std::vector<GLubyte>& buffer)
{
    const OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
    buffer.assign(static_cast<size_t>(kFramePixels) * kPeerChannels, 0);
    if (context == nullptr || OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE,
                                                kFrameWidth, kFrameHeight) == GL_FALSE) {
        return false;
    }
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kFrameWidth, kFrameHeight, 0.0, -1.0, 1.0);  // y downwards, as the renderer's
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    return true;
}

int64_t litPixels(const std::vector<GLubyte>& buffer)
{
    int64_t lit = 0;
    for (size_t i = 0; i < buffer.size(); i += kPeerChannels) {
        lit += (buffer[i] | buffer[i + 1] | buffer[i + 2]) != 0 ? 1 : 0;
    }
    return lit;
}

// User and system time of every thread of the process so far.
int64_t processCpuNanoseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto nanoseconds = [](const timeval& t) {
        return int64_t{t.tv_sec} * 1000000000 + int64_t{t.tv_usec} * 1000;
    };
    return nanoseconds(usage.ru_utime) + nanoseconds(usage.ru_stime);
}

int64_t drawFrames(const std::vector<PeerFrame>& frames)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (const PeerFrame& frame : frames) {
        glClear(GL_COLOR_BUFFER_BIT);
        glVertexPointer(2, GL_INT, 0, frame.xy.data());
        glColorPointer(kPeerChannels, GL_UNSIGNED_BYTE, 0, frame.colour.data());
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(frame.xy.size() / 2));
        glFinish();
    }
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
}

} // namespace

int llvmpipePeerServe()
{
    const std::vector<PeerFrame> frames = peerFrames();
    std::vector<GLubyte> buffer;
    if (!openContext(buffer)) {
        sendText(STDOUT_FILENO, "");
        return 1;
    }
    if (!sendText(STDOUT_FILENO, reinterpret_cast<const char*>(glGetString(GL_RENDERER)))) {
        return 1;
    }
    char request = 0;
    while (readAll(STDIN_FILENO, &request, 1)) {
        const int64_t cpuStart = processCpuNanoseconds();
        const int64_t wall = drawFrames(frames);
        const int64_t reply[3] = {wall, processCpuNanoseconds() - cpuStart, litPixels(buffer)};
        if (!writeAll(STDOUT_FILENO, reply, sizeof reply)) {
            return 1;
        }
    }
    return 0;
}

bool llvmpipePeerStart(LlvmpipePeer& peer, int32_t threads)
{
    int down[2];
    int up[2];
    if (pipe(down) != 0 || pipe(up) != 0) {
        peer.renderer = "no pipe";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, down[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, up[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, down[1]);
    posix_spawn_file_actions_addclose(&actions, up[0]);
    std::vector<std::string> variables = {"LP_NUM_THREADS=" + std::to_string(threads),
                                          "GALLIUM_DRIVER=llvmpipe"};
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "LP_NUM_THREADS=", 15) != 0 &&
            std::strncmp(*e, "GALLIUM_DRIVER=", 15) != 0) {
            env.push_back(*e);
        }
    }
    for (std::string& v : variables) {
        env.push_back(v.data());
    }
    env.push_back(nullptr);
    char self[] = "/proc/self/exe";
    std::string arg = kLlvmpipePeerArg;
    char* argv[] = {self, arg.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(down[0]);
    close(up[1]);
    peer = LlvmpipePeer{down[1], up[0], pid, ""};
    uint32_t size = 0;
    if (spawned != 0 || !readAll(peer.fromPeer, &size, sizeof size)) {
        peer.renderer = "the llvmpipe peer did not start";
        return false;
    }
    peer.renderer.resize(size);
    return readAll(peer.fromPeer, peer.renderer.data(), size) && size > 0;
}

bool llvmpipePeerRun(LlvmpipePeer& peer, LlvmpipeRun& run)
{
    const char request = 1;
    int64_t reply[3] = {};
    if (!writeAll(peer.toPeer, &request, 1) || !readAll(peer.fromPeer, reply, sizeof reply)) {
        return false;
    }
    run = LlvmpipeRun{reply[0], reply[1], reply[2]};
    return true;
}
