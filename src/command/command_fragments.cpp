#include "command/command_fragments.h"

#include "command/text_rules.h"

#include <array>

std::string AspectFragment(int aspectIndex) {
    switch (aspectIndex) {
    case 1:
        return " -aspect \"4:3\" ";
    case 2:
        return " -aspect \"16:9\" ";
    default:
        return {};
    }
}

std::string VideoCodecFragment(std::string_view videoCodecText) {
    const std::string lower = LowerAscii(videoCodecText);
    return " -vcodec \"" + std::string(TrimAscii(lower)) + "\" ";
}

std::string AudioCodecFragment(std::string_view audioCodecText) {
    return " -acodec \"" + std::string(TrimAscii(audioCodecText)) + "\" ";
}

namespace {
// Width and height are compared as texts: only a literal "0" counts as no size.
bool HasZeroSide(std::string_view size) {
    const std::ptrdiff_t x = TextPos("x", size);
    const std::string_view width = FirstChars(size, x - 1);
    const std::string_view height = FromPosition(size, x + 1);
    return width == "0" || height == "0";
}
} // namespace

std::string VideoSizeFragment(std::string_view sizeSelectorText, std::string_view rowVideoSize) {
    const std::string rowLower = LowerAscii(rowVideoSize);
    const std::string_view row = TrimAscii(rowLower);
    if (TextPos("x", row) == 0) {
        // "Unknown" and other rows without a frame size.
        return " -s 176x144";
    }
    if (sizeSelectorText == "Original Video Size") {
        const std::string size = WithoutSpaces(row);
        if (HasZeroSide(size)) {
            return {};
        }
        return " -s " + size;
    }
    const std::string selectorLower = LowerAscii(sizeSelectorText);
    std::string_view chosen = TrimAscii(selectorLower);
    const std::ptrdiff_t bracket = TextPos("(", chosen);
    if (bracket > 0) {
        // Drops a label such as " (iPod Default)" together with the blank before it.
        chosen = FirstChars(chosen, bracket - 2);
    }
    std::string size = WithoutSpaces(chosen);
    if (HasZeroSide(size)) {
        size = "176x144";
    }
    if (size.empty()) {
        return {};
    }
    return " -s " + size;
}

std::string VideoBitrateFragment(std::string_view videoBitrateText) {
    const std::string_view text = TrimAscii(videoBitrateText);
    if (text.empty()) {
        return {};
    }
    return " -b \"" + std::string(FirstChars(text, TextPos("K", text) - 2)) + "\"";
}

std::string AudioBitrateFragment(std::string_view audioBitrateText) {
    if (TrimAscii(audioBitrateText) == "Auto") {
        return " ";
    }
    // Unlike the video bitrate, the number is cut from the untrimmed text.
    if (audioBitrateText.empty()) {
        return {};
    }
    return " -ab \"" +
           std::string(FirstChars(audioBitrateText, TextPos("K", audioBitrateText) - 2)) + "\"";
}

std::string FrameRateFragment(std::string_view frameRateText) {
    const std::string_view text = TrimAscii(frameRateText);
    if (text == "Auto") {
        return " ";
    }
    const std::string_view rate = FirstChars(text, TextPos(" fps", text) - 1);
    if (rate.empty()) {
        return {};
    }
    return " -r \"" + std::string(rate) + "\" ";
}

std::string SampleRateFragment(std::string_view sampleRateText) {
    if (sampleRateText == "Auto") {
        return {};
    }
    // No test for an empty text: an empty selector gives an empty value in quotes.
    return " -ar \"" + std::string(FirstChars(sampleRateText, TextPos("H", sampleRateText) - 2)) +
           "\"";
}

std::string ChannelsFragment(int channelIndex) {
    switch (channelIndex) {
    case 0:
        return " -ac \"2 (stereo)\"";
    case 1:
        return " -ac \"1 (mono)\"";
    default:
        return {};
    }
}

bool IsAudioOnlyOutput(std::string_view outputExtension) {
    static constexpr std::array<std::string_view, 11> kAudioOnly{
        "mp3", "mp2", "m4a", "wav", "ogg", "aac", "au", "wma", "ra", "ac3", "cda"};
    for (std::string_view extension : kAudioOnly) {
        if (outputExtension == extension) {
            return true;
        }
    }
    return false;
}

VolumeFragments VolumeRule(std::string_view volumeLevel, bool audioOnlyOutput) {
    VolumeFragments result;
    if (volumeLevel == "0") {
        if (!audioOnlyOutput) {
            result.NoAudioArg = " -an ";
        }
    } else if (volumeLevel != "50") {
        result.VolumeArg = " -vol_factor \"" + std::string(volumeLevel) + "\"";
    }
    return result;
}
