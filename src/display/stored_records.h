// The data file as the replay reads it: stored readings decoded, records
// taken backwards a block at a time, the offsets of an offset record. Free
// of Win32 so that it is tested and fuzzed on the host.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The four calibrated channel values of a stored reading record (its first
// 13 bytes) with the null offsets in force. Returns 0 when the stored
// reference is zero and the record cannot be decoded.
int DecodeStoredReading(const unsigned char* record, const float offsets[4], float channels[4]);

// The offset that was in force before a null: the number from character 11
// of an offset record of `length` bytes; 0 when there is none.
float PreviousOffset(const unsigned char* record, int length);

// Reads `size` bytes at file offset `at` into `out`; returns the bytes read.
typedef size_t (*ReadAtFunction)(void* file, uint32_t at, unsigned char* out, size_t size);

// Reads records backwards a block at a time: between the readings of a
// slow survey lie many GPS records, and one system call per record would
// make a replay take seconds.
struct BackwardReader {
    ReadAtFunction ReadAt;
    void* File;
    uint32_t Length;
    uint32_t Position;             // start of the record read last
    uint32_t BlockStart, BlockEnd; // the file bytes in Block
    std::vector<unsigned char> Block;
};

// A reader of records of `length` bytes ending at file offset `end`.
BackwardReader StartBackwardReader(ReadAtFunction readAt, void* file, uint32_t length,
                                   uint32_t end);
// The record before the one read last (Length + 1 bytes in record), its
// line feed made a terminator; false at the start of the file or when the
// file cannot be read.
bool StepBack(BackwardReader& r, unsigned char* record);
