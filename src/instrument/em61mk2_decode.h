// Conversion of an instrument frame into four calibrated channel values,
// the normalisation of the reference level and the nulling of the channels.
#pragma once
#include <cstdint>

void DecodeEm61Mk2Frame(float* ch1, float* ch2, float* ch3, float* ch4, float* reference,
                        int32_t* battery, int16_t* range, int32_t* type);
int NormaliseStep();
void AccumulateNulling(float ch1, float ch2, float ch3, float ch4);
// The Null command: starts nulling, or, while still normalising, once the
// normalisation has ended.
void RequestNulling();

// Range divisor (1, 10 or 100) of each channel from the frame's range byte.
void DecodeRangeDivisors(unsigned rangeByte, int divisors[4]);

// The four raw channel words of a frame (bytes 1-9) in millivolts.
void FrameChannelsMillivolts(const unsigned char* frame, float ch[4]);

// Calibrates the four channels by the letter's group, the instrument type
// and the sensor size; returns the group's nominal reference level.
float CalibrateEm61Mk2Channels(unsigned char letter, float ch[4], float reference);

// Called when a nulling run has finished, with the new and the previous
// offsets. The program's definition writes the null records while the data
// file is open in stand-by; the host tests supply their own.
void OnNullingFinished(const float newOffsets[4], const float previousOffsets[4]);
