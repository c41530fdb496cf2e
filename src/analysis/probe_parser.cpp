#include "analysis/probe_parser.h"

#include "command/text_rules.h"
#include "encoder/command_line.h"

namespace {

constexpr std::string_view kInputHeader = "Input #0,";
constexpr std::string_view kDurationMarker = "Duration: ";
constexpr std::string_view kVideoMarker = "Video:";

// The rules below count in the old 1-based way: `count` characters from position `start`.
// Anything outside the text gives fewer characters or none, never an out-of-range read.
std::string_view Copy(std::string_view text, long long start, long long count) {
    if (start < 1) {
        start = 1;
    }
    if (count <= 0 || start > static_cast<long long>(text.size())) {
        return {};
    }
    return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

// "Duration: 00:01:23.4, start: ..." gives "00:01:23"; the fraction is dropped.
std::string DurationFrom(std::string_view afterMarker) {
    std::string duration(Copy(afterMarker, 1, 2));
    duration += ':';
    duration += Copy(afterMarker, 4, 2);
    duration += ':';
    duration += Copy(afterMarker, 7, 2);
    return duration;
}

// "640x480 [SAR 1:1 DAR 4:3]" gives "640 x 480 [SAR 1:1 DAR 4:3]": whatever follows the
// height stays. A field without a lower-case x, or with nothing on one side of it, gives none.
std::string FrameSizeFrom(std::string_view field) {
    const long long x = TextPos("x", field);
    const std::string_view width = Copy(field, 1, x - 1);
    const std::string_view height = x == 0 ? std::string_view() : FromPosition(field, x + 1);
    if (width.empty() || height.empty()) {
        return "0 x 0";
    }
    std::string size(width);
    size += " x ";
    size += height;
    return size;
}

// The number in front of " fps", without its fraction when that begins with "00". A text
// without a point is compared from its first character, so "00..." there becomes empty.
std::string FrameRateFrom(std::string_view rateRemainder) {
    const long long fps = TextPos("fps", rateRemainder);
    if (fps == 0) {
        return {};
    }
    std::string rate(Copy(rateRemainder, 1, fps - 2));
    const long long point = TextPos(".", rate);
    if (Copy(rate, point + 1, 2) == "00") {
        rate = std::string(Copy(rate, 1, point - 1));
    }
    return rate;
}

// The video line's fields after "Video: ": codec, frame size, then the rate remainder. Each
// field ends at a comma, and the blank after the comma is dropped with it. Without a comma the
// field counts as empty and a single character is dropped.
void ReadVideoLine(std::string_view line, ProbeResult& result) {
    std::string_view text = FromPosition(line, TextPos(kVideoMarker, line) + 7);
    text = FromPosition(text, TextPos(",", text) + 2);
    const long long comma = TextPos(",", text);
    const std::string_view sizeField = Copy(text, 1, comma - 1);
    const std::string_view rateRemainder = FromPosition(text, comma + 2);
    result.frameSizeText = FrameSizeFrom(sizeField);
    result.frameRateText = FrameRateFrom(rateRemainder);
}

} // namespace

std::string ProbeCommandLine(std::string_view sourcePath, bool directShow) {
    std::string input;
    if (directShow) {
        input = kDirectShowPrefix;
    }
    input += sourcePath;
    std::string commandLine = "\"";
    commandLine += kEncoderFileName;
    commandLine += "\" -@ -y  -i \"";
    commandLine += EscapeForQuotes(input);
    commandLine += '"';
    return commandLine;
}

bool ProbeOutputRejected(const std::vector<std::string>& lines) {
    if (lines.empty()) {
        return false;
    }
    return std::string_view(lines.front()).substr(0, kInputHeader.size()) != kInputHeader;
}

ProbeResult ParseProbeOutput(const std::vector<std::string>& lines) {
    ProbeResult result;
    for (const std::string& line : lines) {
        if (const long long duration = TextPos(kDurationMarker, line); duration != 0) {
            const std::string_view afterMarker =
                FromPosition(line, duration + static_cast<long long>(kDurationMarker.size()));
            if (Copy(afterMarker, 1, 3) == "N/A") {
                result.durationText = "00:00:00";
                return result;
            }
            result.durationText = DurationFrom(afterMarker);
        }
        if (TextPos(kVideoMarker, line) != 0) {
            ReadVideoLine(line, result);
        }
    }
    return result;
}
