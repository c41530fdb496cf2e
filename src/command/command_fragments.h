#pragma once
// The per-job argument fragments and the rules that turn selector texts into them. Each
// fragment carries its own leading space, so a template joins them without separators; the
// extra spaces that result stay in the command line.
//
// Every rule is a function of texts and indices only: the caller reads the selectors (on the
// user-interface thread) and hands their texts in, so the rules run on any thread.

#include <string>
#include <string_view>

struct CommandFragments {
    std::string ExePrefix;           // quoted encoder path and switches, up to the input path
    std::string InputArg;            // the input path and its closing quote
    std::string VideoCodecArg;       // " -vcodec \"…\" "
    std::string VideoSizeArg;        // " -s WxH", empty, or the letterbox size with padding
    std::string VideoBitrateArg;     // " -b \"…\"" or empty
    std::string FrameRateArg;        // " -r \"…\" " or " "
    std::string AudioBitrateArg;     // " -ab \"…\"" or " "
    std::string ChannelsArg;         // channels text + NoAudioArg + VolumeArg
    std::string NoAudioArg;          // " -an " or empty
    std::string SampleRateArg;       // " -ar \"…\"" or empty
    std::string OutputArg;           // " \"output path\""
    std::string AspectAudioCodecArg; // AspectArg + the audio codec fragment
    std::string VolumeArg;           // " -vol_factor \"…\"" or empty
    std::string AspectArg;           // " -aspect \"4:3\" ", " -aspect \"16:9\" " or empty
};

// By the selected index of ComboAspectRatio: 0 "Original ", 1 "4:3   (Standard)",
// 2 "16:9 (Wide Screen)"; -1 (none selected) or anything else gives no aspect option.
std::string AspectFragment(int aspectIndex);

// The codec name goes to the encoder lower-cased ("XVid" -> "xvid").
std::string VideoCodecFragment(std::string_view videoCodecText);

// The audio codec keeps its case.
std::string AudioCodecFragment(std::string_view audioCodecText);

// From ComboVideoSize's text and the job row's Video Size column ("640 x 360", "0 x 0",
// "Unknown"). A row without a usable size always gets the smallest mobile frame.
std::string VideoSizeFragment(std::string_view sizeSelectorText, std::string_view rowVideoSize);

std::string VideoBitrateFragment(std::string_view videoBitrateText);
std::string AudioBitrateFragment(std::string_view audioBitrateText);
std::string FrameRateFragment(std::string_view frameRateText);
std::string SampleRateFragment(std::string_view sampleRateText);

// By the selected index of ComboAudioChannel: 0 "Stereo", 1 "Mono", -1 none selected.
std::string ChannelsFragment(int channelIndex);

// True for the extensions of audio-only containers; `outputExtension` is already lower case.
bool IsAudioOnlyOutput(std::string_view outputExtension);

struct VolumeFragments {
    std::string NoAudioArg;
    std::string VolumeArg;
};

// "0" mutes: no audio track where there is a picture, and nothing at all for an audio-only
// output (which would otherwise be empty). "50" is the unchanged volume.
VolumeFragments VolumeRule(std::string_view volumeLevel, bool audioOnlyOutput);
