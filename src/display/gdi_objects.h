// The fixed palette, map and channel pens and brushes.
#pragma once

// Created at start-up and again when the display options change.
void CreateSharedPensAndBrushes();
