// Readings nobody sent and frames lost: runs the stream reader's own loop,
// with the reading handler's normalisation and decoding after each hand-
// over, over 10,000 frames of the instrument simulator's fault mix, or over
// a capture of the simulator (its --raw-log and --frame-log). Built with the
// native tests as build-native/frame_census.
//   frame_census [SEED]            the fault mix
//   frame_census RAW FRAMES        a capture, from the probe answer on
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "instrument/acq.h"
#include "instrument/em61mk2_decode.h"
#include "instrument/em61mk2_reader_loop.h"
#include "settings/settings.h"

SettingsRecord Settings;
void OnNullingFinished(const float*, const float*) {}

namespace {

typedef std::vector<unsigned char> Bytes;

// 1-20 garbage bytes (never 0x7F) before every 3rd frame, 0x7F 0x7F in
// channel 4 of every 5th, letter 'Z' in every 7th, as the simulator's
// --garbage-every 3 --unknown-every 7 --embedded7f-every 5. Channels as a
// survey gives them: a background and, in a third of the frames, a target
// up to 40 times stronger, so that every byte value turns up where a false
// cut looks for a letter.
Bytes FaultMix(int frames, uint32_t seed, std::vector<Bytes>* sent)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> logGain(0, std::log(40.0));
    const int background[4] = {290, 145, 72, 36};
    Bytes out;
    for (int k = 1; k <= frames; ++k) {
        unsigned char f[15] = {'T', 0xFF};
        const double gain = rng() % 3 ? 1 : std::exp(logGain(rng));
        for (int i = 0; i < 4; ++i) {
            const int raw = int(background[i] * gain) + int(rng() % 21) - 10;
            f[2 + 2 * i] = (raw >> 8) & 0xFF;
            f[3 + 2 * i] = raw & 0xFF;
        }
        const int reference = 3141 + int(rng() % 21) - 10;
        f[10] = reference >> 8;
        f[11] = reference & 0xFF;
        f[12] = 83;
        f[13] = f[14] = 0x7F;
        if (k % 5 == 0) f[8] = f[9] = 0x7F;
        if (k % 7 == 0) f[0] = 'Z';
        for (int n = k % 3 == 0 ? 1 + rng() % 20 : 0; n > 0; --n) {
            unsigned char b = rng() & 0xFF;
            out.push_back(b == 0x7F ? 0 : b);
        }
        out.insert(out.end(), f, f + 15);
        if (f[0] != 'Z') sent->push_back(Bytes(f, f + 14));
    }
    return out;
}

struct Line {
    Bytes Input;
    size_t Next = 0;
    std::vector<Bytes> Got;
};

void Handle(void* context)
{
    static_cast<Line*>(context)->Got.push_back(Bytes(InstrumentFrame, InstrumentFrame + 14));
    if (Acq.Phase == PHASE_NORMALISING) {
        NormaliseStep();
        return;
    }
    float ch[4], reference;
    int32_t battery, type;
    int16_t range;
    DecodeEm61Mk2Frame(&ch[0], &ch[1], &ch[2], &ch[3], &reference, &battery, &range, &type);
}

int Report(const char* what, const Bytes& input, const std::vector<Bytes>& sent)
{
    ResetAcquisitionForRun();
    Acq.PolledMode = 0;
    Line line;
    line.Input = input;
    const ReaderPlatform io = {
        &line,
        [](void* c) { return static_cast<Line*>(c)->Next < static_cast<Line*>(c)->Input.size(); },
        [](void*) {},
        [](void* c, unsigned char* b, int count) {
            Line* l = static_cast<Line*>(c);
            int n = 0;
            while (n < count && l->Next < l->Input.size()) b[n++] = l->Input[l->Next++];
            return n;
        },
        Handle,
        [](void*) {},
        [](void*) { return uint32_t(0); }};
    RunEm61Mk2Reader(READER_STREAM, io);
    const std::set<Bytes> sentSet(sent.begin(), sent.end()), got(line.Got.begin(), line.Got.end());
    int invented = 0, lost = 0;
    for (const Bytes& r : line.Got) invented += !sentSet.count(r);
    for (const Bytes& f : sent) lost += !got.count(f);
    std::printf("%s: %zu frames with an accepted letter sent, %zu handed over, %d of them never "
                "sent, %d sent frames lost\n",
                what, sent.size(), line.Got.size(), invented, lost);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<Bytes> sent;
    if (argc < 3) {
        const Bytes mix = FaultMix(10000, argc > 1 ? std::atoi(argv[1]) : 7, &sent);
        return Report("fault mix, 10,000 frames", mix, sent);
    }
    std::ifstream raw(argv[1], std::ios::binary), log(argv[2]);
    Bytes input((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
    const std::string text(input.begin(), input.end());
    const size_t answer = text.find("OV");
    input.erase(input.begin(), input.begin() + (answer == std::string::npos ? 0 : answer + 2));
    std::string seq, tick, hex;
    while (log >> seq >> tick >> hex) {
        Bytes f;
        for (size_t i = 0; i + 1 < hex.size() && i < 28; i += 2)
            f.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        if (!f.empty() && std::strchr("TDEFMNPQJKjk", f[0])) sent.push_back(f);
    }
    return Report(argv[1], input, sent);
}
