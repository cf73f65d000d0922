#include "instrument/em61mk2_decode.h"
#include "logging/record_writers.h"
#include "logging/log_run.h"

// Null records go into a data file that is open in stand-by; a run without
// a file keeps the new offsets in memory only.
void OnNullingFinished(const float newOffsets[4], const float previousOffsets[4])
{
    if (LogRun.FileState == FILE_STANDBY) WriteNullRecords(0, 1, newOffsets, previousOffsets);
}
