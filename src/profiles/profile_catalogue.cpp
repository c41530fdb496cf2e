#include "profiles/profile_catalogue.h"

const std::array<OutputProfile, 16> ProfileCatalogue{{
    {"iPod (*.mp4)", "MP4", 0, true},
    {"iPod Extra (640 x 480) (*.mp4)", "MP4", 3, true},
    {"iPod Video For TV (*.mp4)", "MP4", 6, true},
    {"3GP - 3rd Generation Partnership Project (*.3gp)", "3GP", 15, true},
    {"3G2 - 3rd Generation Partnership Project 2 (*.3g2)", "3G2", 16, true},
    {"MOV - QuickTime Video (*.mov)", "MOV", 21, true},
    {"M4A - Mpeg4 Audio File (*.m4a)", "M4A", 27, false},
    {"MP3 - Mpeg Layer3 Audio (*.mp3)", "MP3", 28, false},
    {"WAV - Waveform Audio (*.wav)", "WAV", 31, false},
    {"Apple TV (*.mp4)", "MP4", 48, true},
    {"iPhone (*.mp4)", "MP4", 57, true},
    {"iPhone Extra (640 x 480) (*.mp4)", "MP4", 58, true},
    {"iPod Touch (*.mp4)", "MP4", 60, true},
    {"iPod Touch Extra (640 x 480) (*.mp4)", "MP4", 61, true},
    {"iPod Touch Wide Screen (*.mp4)", "MP4", 62, true},
    {"iPhone Wide Screen (*.mp4)", "MP4", 63, true},
}};

const std::array<std::string_view, 19> OfferedFormatList{{
    "iPod (*.mp4)",
    "iPod Extra (640 x 480) (*.mp4)",
    "iPod Video For TV (*.mp4)",
    kSeparatorEntry,
    "iPod Touch (*.mp4)",
    "iPod Touch Extra (640 x 480) (*.mp4)",
    "iPod Touch Wide Screen (*.mp4)",
    kSeparatorEntry,
    "iPhone (*.mp4)",
    "iPhone Extra (640 x 480) (*.mp4)",
    "iPhone Wide Screen (*.mp4)",
    kSeparatorEntry,
    "3GP - 3rd Generation Partnership Project (*.3gp)",
    "3G2 - 3rd Generation Partnership Project 2 (*.3g2)",
    "Apple TV (*.mp4)",
    "MOV - QuickTime Video (*.mov)",
    "M4A - Mpeg4 Audio File (*.m4a)",
    "MP3 - Mpeg Layer3 Audio (*.mp3)",
    "WAV - Waveform Audio (*.wav)",
}};

bool IsSeparatorText(std::string_view selectorText) {
    return selectorText.size() >= 2 && selectorText[0] == ' ' && selectorText[1] == ' ';
}

const OutputProfile* FindProfile(std::string_view selectorText) {
    const OutputProfile* found = nullptr;
    for (const OutputProfile& profile : ProfileCatalogue) {
        if (profile.displayName == selectorText) {
            found = &profile;
        }
    }
    return found;
}

void SelectedOutputExtension(std::string_view selectorText, std::string& extension) {
    if (const OutputProfile* profile = FindProfile(selectorText)) {
        extension = std::string(profile->extension);
    }
}

bool AspectRatioAllowed(std::string_view selectorText) {
    const OutputProfile* profile = FindProfile(selectorText);
    return profile == nullptr || profile->hasVideo;
}
