// The demos' angle formulas, transcribed: doubles inside a formula, floats
// where the demos keep a value.
#include "demo_angles.h"

#include "trig.h"

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

void addVesselglFrame(std::vector<double>& out, float phase, float twist, float time, bool points)
{
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

} // namespace

std::vector<double> helixsoftTrigArguments(int32_t frames, int32_t pointFrameStep)
{
    std::vector<double> out;
    for (int32_t degrees = 0; degrees < 360; ++degrees) {
        out.push_back(static_cast<float>(degrees * kPi / 180));
    }
    float wavePhase = 0.0f;
    for (int32_t frame = 1; frame <= frames; ++frame) {
        const double twistAngle = frame * kPi / 180;
        out.push_back(twistAngle);
        const float twist = static_cast<float>(trigSin(twistAngle) * 0.3171);
        wavePhase = static_cast<float>(wavePhase + 0.1);
        addHelixsoftFrame(out, frame, wavePhase, twist, frame % pointFrameStep == 0);
    }
    return out;
}

std::vector<double> vesselglTrigArguments(int32_t frames, int32_t pointFrameStep)
{
    std::vector<double> out;
    float phase = 0.1f;
    addVesselglFrame(out, phase, 0.0f, 0.0f, true);
    for (int32_t frame = 1; frame <= frames; ++frame) {
        const float time = static_cast<float>(frame);
        const double twistAngle = kPi * time / 180.0;
        out.push_back(twistAngle);
        const float twist = static_cast<float>(trigSin(twistAngle) * 0.29171);
        phase = static_cast<float>(phase + 0.1);
        addVesselglFrame(out, phase, twist, time, frame % pointFrameStep == 0);
    }
    return out;
}
