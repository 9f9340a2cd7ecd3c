// The demos' angle formulas, transcribed: doubles inside a formula, floats
// where the demos keep a value.
#include "trig_arguments.h"

#include "trig.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace {

constexpr double kPi = 3.141593;
constexpr double kTwoPi = 6.283186;
constexpr double kThreePi = 9.424779;

void addHelixsoftFrame(std::vector<double>& out, int32_t frame, float wavePhase, float twist,
                       bool points)
{
    float ringAngle = 0.0f;
    for (int32_t j = 0; j < 32; ++j) {
        out.push_back((static_cast<double>(wavePhase) + j) * kPi / 10);
        out.push_back(kThreePi * static_cast<float>(j + frame * 0.3) / 32);
        for (int32_t k = 0; points && k < 32; ++k) {
            out.push_back(static_cast<double>(ringAngle) + static_cast<float>(kTwoPi / 32 * k));
        }
        ringAngle = static_cast<float>(static_cast<double>(ringAngle) + twist);
    }
}

// The GL demo's frame time is the frame number as a float.
void addVesselglFrame(std::vector<double>& out, int32_t frame, float phase, float twist,
                      bool points)
{
    const float time = static_cast<float>(frame);
    float offset = 0.0f;
    for (int32_t i = 0; i < 42; ++i) {
        out.push_back(kThreePi * static_cast<float>(i + 0.3 * time) / 42.0);
        out.push_back((static_cast<double>(phase) + i) * kPi / 8.0);
        for (int32_t k = 0; points && k <= 32; ++k) {
            out.push_back(static_cast<double>(offset) + static_cast<float>(kTwoPi / 32.0 * k));
        }
        offset = static_cast<float>(static_cast<double>(twist) + offset);
    }
}

using FrameAdder = void (*)(std::vector<double>&, int32_t, float, float, bool);

// Frames 1 to `frames` of a demo: the frame's twist angle (its number in
// degrees), then its rings, with the phase moved on by 0.1 first.
void addFrames(std::vector<double>& out, int32_t frames, int32_t pointFrameStep, float phase,
               double twistAmplitude, FrameAdder addFrame)
{
    for (int32_t frame = 1; frame <= frames; ++frame) {
        const double twistAngle = frame * kPi / 180;
        out.push_back(twistAngle);
        const float twist = static_cast<float>(trigSin(twistAngle) * twistAmplitude);
        phase = static_cast<float>(phase + 0.1);
        addFrame(out, frame, phase, twist, frame % pointFrameStep == 0);
    }
}

} // namespace

std::vector<double> helixsoftTrigArguments(int32_t frames, int32_t pointFrameStep)
{
    std::vector<double> out;
    for (int32_t degrees = 0; degrees < 360; ++degrees) {
        out.push_back(static_cast<float>(degrees * kPi / 180));
    }
    addFrames(out, frames, pointFrameStep, 0.0f, 0.3171, addHelixsoftFrame);
    return out;
}

std::vector<double> vesselglTrigArguments(int32_t frames, int32_t pointFrameStep)
{
    // The start-up build: phase 0.1, no twist, time 0.
    std::vector<double> out;
    addVesselglFrame(out, 0, 0.1f, 0.0f, true);
    addFrames(out, frames, pointFrameStep, 0.1f, 0.29171, addVesselglFrame);
    return out;
}

std::vector<double> demoTrigArguments(int32_t frames, int32_t pointFrameStep)
{
    std::vector<double> all = helixsoftTrigArguments(frames, pointFrameStep);
    const std::vector<double> gl = vesselglTrigArguments(frames, pointFrameStep);
    all.insert(all.end(), gl.begin(), gl.end());
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

std::vector<double> randomTrigArguments(int count, int low, int high, uint64_t seed)
{
    std::mt19937_64 random(seed);  // the standard fixes its sequence
    std::vector<double> out;
    for (int i = 0; i < count; ++i) {
        const double mantissa = 1.0 + static_cast<double>(random() >> 12) * 0x1p-52;
        const double x = std::ldexp(mantissa, low + static_cast<int>(random() % (high - low)));
        out.push_back(random() % 2 == 0 ? x : -x);
    }
    return out;
}

std::vector<double> rangeTrigArguments()
{
    std::vector<double> all;
    const int edges[] = {-1074, -27, -7, 10, 17, 30, 1024};
    for (int i = 0; i + 1 < 7; ++i) {
        const std::vector<double> part = randomTrigArguments(3000, edges[i], edges[i + 1], i);
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

void hashSinCosBits(uint64_t& hash, double s, double c)
{
    for (double result : {s, c}) {
        uint64_t bits = 0;
        std::memcpy(&bits, &result, sizeof bits);
        for (int byte = 0; byte < 8; ++byte) {
            hash = (hash ^ ((bits >> (8 * byte)) & 0xffu)) * 0x100000001b3u;
        }
    }
}

uint64_t sinCosBitsHash(const std::vector<double>& arguments,
                        void (*sinCos)(double, double&, double&))
{
    uint64_t hash = kHashStart;
    for (double x : arguments) {
        double s = 0.0;
        double c = 0.0;
        sinCos(x, s, c);
        hashSinCosBits(hash, s, c);
    }
    return hash;
}
