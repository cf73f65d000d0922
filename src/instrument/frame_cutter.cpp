#include "instrument/frame_cutter.h"

#include <cstring>

namespace {

const unsigned char kEndByte = 0x7F;

// The polled instrument only ever answers a request with the ordinary
// letters; the J/K/j/k frames come from the streaming and wheel outputs.
const Em61Mk2ReaderRules kRules[3] = {
    /* READER_POLLED */ {"TDEFMNPQ", true, true, FRAME_CUTTER_SIZE - 2},
    /* READER_STREAM */ {"TDEFMNPQJKjk", true, true, FRAME_CUTTER_SIZE - 2},
    /* READER_WHEEL  */ {"TDEFMNPQJKjk", false, false, FRAME_CUTTER_SIZE - 1},
};

const unsigned char kTwins[][2] = {
    {'D', 'N'}, {'E', 'P'}, {'F', 'Q'}, {'J', 'K'}, {'T', 'M'}, {'j', 'K'},
};

// A factor of 1.5 either way: room for the stream output's reference
// correction (up to 1.152) and for any drift of a working instrument, whose
// reference the normalisation assumes steady; two bytes of channel data
// seldom land in it.
bool ReferenceFits(const unsigned char* record, float level)
{
    if (!(level > 0)) return true;
    const float reference = static_cast<int16_t>((record[10] << 8) | record[11]);
    return reference >= level / 1.5f && reference <= level * 1.5f;
}

// Candidate ends in a row refused by the reference check before the check
// is given up for the rest of the reader's life.
const int32_t kTrustedMisses = 8;

} // namespace

const Em61Mk2ReaderRules& ReaderRules(Em61Mk2ReaderKind kind) { return kRules[kind]; }

void ResetFrameCutter(FrameCutter* cutter)
{
    cutter->Count = 0;
    cutter->Fence = 0;
}

FrameCutOutcome AppendFrameByte(FrameCutter* cutter, Em61Mk2ReaderKind kind, unsigned char byte)
{
    const Em61Mk2ReaderRules& rules = kRules[kind];
    if (cutter->Count < 0 || cutter->Count > rules.LastIndex) {
        ResetFrameCutter(cutter);
        return CUT_OVERFLOW;
    }
    cutter->Buffer[cutter->Count++] = byte;

    const int32_t n = cutter->Count;
    if (byte != kEndByte || n < FRAME_WIRE_LENGTH || cutter->Buffer[n - 2] != kEndByte)
        return CUT_NONE;

    const int32_t letterAt = n - FRAME_WIRE_LENGTH;
    if (letterAt < cutter->Fence) return CUT_NONE;
    const unsigned char letter = cutter->Buffer[letterAt];
    if (letter != 0 && std::strchr(rules.AcceptedLetters, letter) != nullptr) {
        // A splice is a single event; frame after frame off the level means
        // the instrument's reference has really moved, and from then on the
        // level no longer decides (a few readings lost are not worth a run
        // that records nothing).
        if (cutter->ReferenceMisses >= kTrustedMisses) return CUT_FRAME;
        if (ReferenceFits(cutter->Buffer + letterAt, cutter->ReferenceLevel)) {
            cutter->ReferenceMisses = 0;
            return CUT_FRAME;
        }
        cutter->ReferenceMisses += 1;
        return CUT_NONE;
    }

    // Only where the refused frame's bytes stay put is the fence sound: the
    // wheel reader keeps them all, and there a refused pair may just as well
    // lie inside the real frame that ends next.
    if (rules.RefusedDropsLastByte) {
        cutter->Count -= 1;
        cutter->Fence = cutter->Count;
    }
    // A frame end was found, so the misses before it were splices inside
    // that frame, not a reference that moved.
    if (cutter->ReferenceMisses < kTrustedMisses) cutter->ReferenceMisses = 0;
    return CUT_REFUSED;
}

const unsigned char* FrameRecord(const FrameCutter* cutter)
{
    return cutter->Buffer + cutter->Count - FRAME_WIRE_LENGTH;
}

unsigned char MarkedTwin(unsigned char letter)
{
    for (const auto& twin : kTwins)
        if (twin[0] == letter) return twin[1];
    return letter;
}

void StoreFrameRecord(const unsigned char* record, bool marked, unsigned char* frame)
{
    std::memcpy(frame, record, FRAME_RECORD_LENGTH);
    frame[FRAME_RECORD_LENGTH] = 0;
    if (marked) frame[0] = MarkedTwin(frame[0]);
}
