// The channels of a reading record as the file stores it: the live
// decoder's running reference average stands in the record. Free of Win32,
// so that the profile replay and the export decode alike.
#pragma once

// The four calibrated channel values of a stored reading record (its first
// 13 bytes) with the null offsets in force. Returns 0 when the stored
// reference is zero and the record cannot be decoded.
int DecodeStoredReading(const unsigned char* record, const float offsets[4], float channels[4]);
