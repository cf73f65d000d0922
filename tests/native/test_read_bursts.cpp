// Reading in bursts against reading byte by byte: for random byte streams
// and random splits into reads (time-outs with no byte among them), the
// instrument readers hand over the same frames with the same ticks and
// acquisition state, and the GPS reader the same sentences, each stamped
// with the read that brought its '$'.
#include <random>

#include "read_splits.h"
#include "test_check.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// Pieces whole or cut short, and runs of noise (a third of it the byte
// that ends frames or lines) long enough to overflow the cutters.
Bytes Stream(std::mt19937& rng, const std::vector<std::string>& pieces, unsigned char end)
{
    Bytes out;
    for (int part = rng() % 40; part > 0; --part) {
        const std::string& p = pieces[rng() % pieces.size()];
        if (rng() % 3)
            out.insert(out.end(), p.begin(), p.begin() + (rng() % 5 ? p.size() : rng() % p.size()));
        else
            for (int n = rng() % 250; n > 0; --n) out.push_back(rng() % 3 ? (unsigned char)rng() : end);
    }
    return out;
}

std::vector<int> RandomSplit(std::mt19937& rng)
{
    std::vector<int> split(1 + rng() % 8);
    for (int& n : split) n = rng() % 4 == 0 ? 0 : 1 + rng() % (rng() % 2 ? 4 : 600);
    split[rng() % split.size()] = 1 + rng() % 15; // the line is never silent for good
    return split;
}

void TestInstrumentBursts()
{
    std::vector<std::string> frames = {"\x7F\x7F"}; // accepted and refused letters
    for (char letter : std::string("TDEFJjkKMNPQAZ"))
        frames.push_back(letter + std::string("\x55\x01\x02\x03\x04\x05\x7F\x07\x0B\xB8\x90\x7F\x7F", 14));
    std::mt19937 rng(61);
    int handed = 0;
    for (int round = 0; round < 3000; ++round) {
        const Bytes input = Stream(rng, frames, 0x7F);
        const std::vector<int> split = RandomSplit(rng);
        const int divisor = 1 + rng() % 3, marked = rng() % 2;
        for (int kind = 0; kind < 3; ++kind) {
            const Em61Mk2ReaderKind k = Em61Mk2ReaderKind(kind);
            const std::string bytes = ReadFramesInSplits(k, input.data(), input.size(), {}, divisor, marked);
            CHECK(ReadFramesInSplits(k, input.data(), input.size(), split, divisor, marked) == bytes);
            handed += (int)std::count(bytes.begin(), bytes.end(), ';');
        }
    }
    CHECK(handed > 10000); // the streams do cut frames
}

// ---- sentences ----------------------------------------------------------

void TestSentenceBursts()
{
    const std::vector<std::string> pieces = {
        "$GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000*7D\r\n",
        "$GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5*33\r\n", "\r\n", "$", "*4F"};
    std::mt19937 rng(18);
    int sentences = 0;
    for (int round = 0; round < 3000; ++round) {
        const Bytes input = Stream(rng, pieces, '\n');
        std::vector<size_t> bytes, reads;
        for (size_t i = 1; i <= input.size(); ++i) bytes.push_back(i);
        for (size_t at = 0; at < input.size();) reads.push_back(at = std::min(input.size(), at + rng() % 90));
        const FedSentences one = FeedSentencesInReads(input.data(), bytes);
        const FedSentences burst = FeedSentencesInReads(input.data(), reads);
        CHECK(burst.Text == one.Text);
        sentences += (int)one.Text.size();
        // One byte a read stamps the '$' at its own position; in bursts the
        // read that holds that position stamps it (0: no '$' seen yet).
        for (size_t i = 0; i < one.Ticks.size() && i < burst.Ticks.size(); ++i) {
            const size_t dollar = one.Ticks[i] - 1000 - 1;
            CHECK_EQ(burst.Ticks[i], one.Ticks[i] == 0 ? 0
                                     : 1000 + *std::upper_bound(reads.begin(), reads.end(), dollar));
        }
    }
    CHECK(sentences > 5000);
}

} // namespace

int main()
{
    TestInstrumentBursts();
    TestSentenceBursts();
    return TestSummary("test_read_bursts");
}
