// What the coils see along a walked line: a background with slow drift and
// noise, plus buried targets giving bell-shaped anomalies that decay from
// channel 1 (earliest time gate) to channel 4.
#include "em61sim.h"

#include <cmath>

namespace {

struct Target {
    double position;  // metres along the line
    double amplitude; // channel 1 peak, mV
    double width;     // metres (one standard deviation of the bell)
    double decay;     // channel n+1 / channel n
};

struct SurveyState {
    double distance = 0;
    bool walking = true;
    int64_t lastWalkNs = 0;
    int64_t lastSampleNs = 0;
    int64_t startNs = 0;
    double drift[4] = {0, 0, 0, 0};
    double referenceDrift = 0;
    std::vector<Target> targets;
    double nextTargetAt = 4.0;
    std::mt19937_64 noiseRng, targetRng, garbageRng;
} Survey;

const double kBackground[4] = {28, 14, 7, 3.5};
const double kNoiseSd[4] = {1.5, 1.0, 0.6, 0.4};
const double kDriftScale[4] = {1, 0.6, 0.35, 0.2};
constexpr double kDriftTau = 60; // seconds for drift to forget
constexpr double kDriftSd = 3;   // mV on channel 1, long-run

double Uniform(std::mt19937_64& rng, double lo, double hi)
{
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

double Gauss(std::mt19937_64& rng) { return std::normal_distribution<double>(0, 1)(rng); }

// Targets are laid out ahead of the walker from their own generator, so the
// line looks the same whatever the frame rate.
void LayTargetsUpTo(double distance)
{
    while (Opt.targets && Survey.nextTargetAt < distance) {
        double depth = Uniform(Survey.targetRng, 0, 1);
        Target t;
        t.position = Survey.nextTargetAt;
        t.width = 0.3 + 0.9 * depth;
        t.decay = 0.4 + 0.4 * depth;
        t.amplitude = exp(Uniform(Survey.targetRng, log(20.0), log(6000.0))) / (1 + 3 * depth);
        Survey.targets.push_back(t);
        Survey.nextTargetAt += 3 + std::exponential_distribution<double>(1.0 / 7)(Survey.targetRng);
    }
}

// Ornstein-Uhlenbeck step: wanders but returns towards zero.
double DriftStep(double value, double dt, double longRunSd, std::mt19937_64& rng)
{
    double sigma = longRunSd * sqrt(2 / kDriftTau);
    return value - value * dt / kDriftTau + sigma * sqrt(dt) * Gauss(rng);
}

} // namespace

void InitSurvey()
{
    Survey.noiseRng.seed(Opt.seed);
    Survey.targetRng.seed(Opt.seed * 7919 + 1);
    Survey.garbageRng.seed(Opt.seed * 104729 + 2);
    Survey.startNs = Survey.lastWalkNs = Survey.lastSampleNs = NowNs();
}

void AdvanceWalk(int64_t now)
{
    double dt = (double)(now - Survey.lastWalkNs) / 1e9;
    Survey.lastWalkNs = now;
    if (Survey.walking && Inst.state != InstState::Wheel && dt > 0)
        Survey.distance += Opt.speed * dt;
}

void WheelStep() { Survey.distance += Opt.wheelIncrement; }

double SurveyDistance() { return Survey.distance; }

void SetWalking(bool on, int64_t now)
{
    AdvanceWalk(now);
    Survey.walking = on;
}

bool Walking() { return Survey.walking; }

Reading SampleSurvey(int64_t now)
{
    AdvanceWalk(now);
    double dt = (double)(now - Survey.lastSampleNs) / 1e9;
    Survey.lastSampleNs = now;
    if (dt > 10) dt = 10;
    LayTargetsUpTo(Survey.distance + 50);

    Reading r;
    double noise = Opt.noise;
    for (int i = 0; i < 4; i++) {
        if (dt > 0)
            Survey.drift[i] =
                DriftStep(Survey.drift[i], dt, kDriftSd * kDriftScale[i], Survey.noiseRng);
        r.ch[i] = kBackground[i] + noise * (Survey.drift[i] + kNoiseSd[i] * Gauss(Survey.noiseRng));
    }
    for (const Target& t : Survey.targets) {
        double off = (Survey.distance - t.position) / t.width;
        if (fabs(off) > 6) continue;
        double bell = t.amplitude * exp(-0.5 * off * off);
        for (int i = 0; i < 4; i++, bell *= t.decay) r.ch[i] += bell;
    }

    double nominal = Opt.reference >= 0 ? Opt.reference : NominalReference(Inst.letter);
    if (dt > 0) Survey.referenceDrift = DriftStep(Survey.referenceDrift, dt, 3, Survey.noiseRng);
    r.reference = nominal + noise * (Survey.referenceDrift + Gauss(Survey.noiseRng));
    // In its streaming output style a standard instrument reports the
    // reference 1.047 times higher; the logger divides it back.
    if (!Inst.polledAnswer) r.reference *= 1.047;

    double hours = (double)(now - Survey.startNs) / 3.6e12;
    r.batteryVolts = Opt.batteryVolts - 0.1 * hours + noise * 0.01 * Gauss(Survey.noiseRng);
    return r;
}

uint32_t RandomGarbageByte()
{
    // Never 0x7F: injected garbage must not forge a terminator pair.
    uint32_t b;
    do b = (uint32_t)(Survey.garbageRng() & 0xFF);
    while (b == 0x7F);
    return b;
}
