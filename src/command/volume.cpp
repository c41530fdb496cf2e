#include "command/volume.h"

VolumeChoice VolumeForSliderPosition(int position) {
    int level = 50;
    if (position >= 0 && position <= 10 && position != 5) {
        level = 10 * position;
    }
    VolumeChoice choice;
    choice.labelText = std::to_string(2 * level) + "%";
    choice.volumeLevel = std::to_string(level);
    if (choice.volumeLevel == "10") {
        choice.volumeLevel = "2";
    } else if (choice.volumeLevel == "20") {
        choice.volumeLevel = "5";
    }
    return choice;
}
