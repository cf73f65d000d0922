// Conversion of an instrument frame into four calibrated channel values,
// the normalisation of the reference level and the nulling of the channels.
#pragma once
#include <cstdint>

void DecodeEm61Mk2Frame(float* ch1, float* ch2, float* ch3, float* ch4, float* reference,
                        int32_t* battery, int16_t* range, int32_t* type);
int NormaliseStep();
void AccumulateNulling(float ch1, float ch2, float ch3, float ch4);
