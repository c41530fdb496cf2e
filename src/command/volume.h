#pragma once
#include <string>

// What the volume slider's position means: the percentage shown under it and the level text
// handed to the encoder ("50" leaves the volume unchanged).
struct VolumeChoice {
    std::string labelText;   // "0%" … "200%"
    std::string volumeLevel; // "0", "2", "5", "30" … "100"
};

// Positions 0 to 10; position 5 and anything outside the range mean the unchanged volume.
// The two lowest non-zero positions give "2" and "5" rather than "10" and "20": the encoder
// turns those into gains of 0.2 and 0.4, which is what the label promises.
VolumeChoice VolumeForSliderPosition(int position);
