// The derived settings, one step per group of source settings. The
// configuration reader runs each step as soon as its sources have been read;
// ComputeDerivedValues runs them all.
#pragma once

void ComputeProfileScaleValues(); // pixels per unit and both grid tables
void ComputeGpsDisplayInterval();
void ComputeSpeedScaleValues();
void ComputeReadingInterval(); // interval in ms, then readings per second
void ComputeStationValues();   // increment of the logging mode, run copies
void ComputeMapMarkerSizes();  // current-position cross
void ComputeMapEdgeMargins();  // map follow margins
void ComputeReadingRates();
// The run-time values that follow from the settings (main window creation
// runs them once before the file is loaded; loading recomputes them).
void ComputeDerivedValues();
// Profile range and channels of this instrument, and what follows from them.
void ApplyInstrumentDefaults();
