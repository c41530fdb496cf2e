#include "command/letterbox.h"

#include "command/text_rules.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

namespace {

struct FrameSize {
    double width = 0;
    double height = 0;
};

// A decimal number with "." as the point, whatever the user's locale; the whole text must be
// the number.
std::optional<double> ParseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// The row reads width + " x " + height: the width ends at the first blank and the height
// begins three characters later. The row is lower-cased but not trimmed.
std::optional<FrameSize> SourceSize(std::string_view rowVideoSize) {
    const std::string row = LowerAscii(rowVideoSize);
    const std::ptrdiff_t blank = TextPos(" ", row);
    const auto width = ParseNumber(TrimAscii(FirstChars(row, blank - 1)));
    const auto height = ParseNumber(TrimAscii(FromPosition(row, blank + 3)));
    if (!width || !height) {
        return std::nullopt;
    }
    return FrameSize{*width, *height};
}

// " -s 320x240" -> 320 and 240: the size starts two characters after the first "s".
std::optional<FrameSize> TargetSize(std::string_view plainSizeFragment) {
    const std::string fragment = LowerAscii(plainSizeFragment);
    const std::string_view size = FromPosition(fragment, TextPos("s", fragment) + 2);
    const std::ptrdiff_t x = TextPos("x", size);
    const auto width = ParseNumber(FirstChars(size, x - 1));
    const auto height = ParseNumber(FromPosition(size, x + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return FrameSize{*width, *height};
}

// Shortest decimal form: a whole number is written without a decimal point.
std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// The picture side is cut to a whole number by writing it with 15 significant digits and
// dropping everything from the decimal point on. The 15 digits matter: 179.99999999999997
// is written "180" and stays 180 instead of falling to 179. Then an odd side is made even:
// one ending in 1 is raised, any other lowered.
std::optional<double> EvenWholeSide(double side) {
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, side, std::chars_format::general, 15);
    if (written.ec != std::errc()) {
        return std::nullopt;
    }
    std::string_view text(buffer, written.ptr);
    const size_t point = text.find('.');
    if (point != std::string_view::npos) {
        text = text.substr(0, point);
    }
    // Exponent forms (very large or very small sides) are not whole numbers here.
    long long whole = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), whole);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (whole % 2 != 0) {
        const long long lastDigit = (whole < 0 ? -whole : whole) % 10;
        whole += lastDigit == 1 ? 1 : -1;
    }
    return static_cast<double>(whole);
}

struct Padding {
    double pictureSide = 0; // the padded side of the picture inside the frame
    double pad = 0;         // each of the two bars
};

// Both bars are equal and even, and picture plus bars is exactly the frame side.
std::optional<Padding> PadAround(double pictureSide, double frameSide) {
    const auto even = EvenWholeSide(pictureSide);
    if (!even) {
        return std::nullopt;
    }
    double pad = frameSide > *even ? (frameSide - *even) / 2 : (*even - frameSide) / 2;
    if (!std::isfinite(pad) || std::floor(pad) != pad) {
        // An odd frame side cannot take two equal bars.
        return std::nullopt;
    }
    if (std::fmod(pad, 2) != 0) {
        pad -= 1;
    }
    return Padding{frameSide - 2 * pad, pad};
}

} // namespace

int LetterboxDirection(std::string_view rowVideoSize, std::string_view plainSizeFragment) {
    const auto source = SourceSize(rowVideoSize);
    if (!source || source->width == 0 || source->height == 0) {
        return kNoBars;
    }
    const auto target = TargetSize(plainSizeFragment);
    if (!target || target->height == 0) {
        return kNoBars;
    }
    const double sourceRatio = source->width / source->height;
    const double targetRatio = target->width / target->height;
    if (!std::isfinite(sourceRatio) || !std::isfinite(targetRatio)) {
        return kNoBars;
    }
    if (sourceRatio > targetRatio) {
        return kTopBottomBars;
    }
    if (sourceRatio < targetRatio) {
        return kLeftRightBars;
    }
    return kNoBars;
}

std::string LetterboxTopBottom(std::string_view rowVideoSize, std::string_view plainSizeFragment) {
    const auto source = SourceSize(rowVideoSize);
    if (!source || source->width == 0 || source->height == 0) {
        return std::string(kLetterboxError);
    }
    const auto target = TargetSize(plainSizeFragment);
    if (!target) {
        return std::string(kLetterboxError);
    }
    const double ratio = source->width / source->height;
    const double pictureHeight = target->width / ratio;
    if (ratio == 0 || !std::isfinite(pictureHeight)) {
        return std::string(kLetterboxError);
    }
    const auto padding = PadAround(pictureHeight, target->height);
    if (!padding) {
        return std::string(kLetterboxError);
    }
    std::string result =
        " -s " + NumberText(target->width) + "x" + NumberText(padding->pictureSide);
    if (padding->pad != 0) {
        const std::string pad = NumberText(padding->pad);
        result += " -padtop " + pad + " -padbottom " + pad;
    }
    return result;
}

std::string LetterboxLeftRight(std::string_view rowVideoSize, std::string_view plainSizeFragment) {
    const auto source = SourceSize(rowVideoSize);
    if (!source || source->width == 0 || source->height == 0) {
        return std::string(kLetterboxError);
    }
    const auto target = TargetSize(plainSizeFragment);
    if (!target) {
        return std::string(kLetterboxError);
    }
    const double pictureWidth = (source->width / source->height) * target->height;
    if (!std::isfinite(pictureWidth)) {
        return std::string(kLetterboxError);
    }
    const auto padding = PadAround(pictureWidth, target->width);
    if (!padding) {
        return std::string(kLetterboxError);
    }
    std::string result =
        " -s " + NumberText(padding->pictureSide) + "x" + NumberText(target->height);
    if (padding->pad != 0) {
        const std::string pad = NumberText(padding->pad);
        result += " -padleft " + pad + " -padright " + pad;
    }
    return result;
}

std::string LetterboxedSizeFragment(std::string_view rowVideoSize,
                                    std::string_view plainSizeFragment) {
    std::string padded;
    switch (LetterboxDirection(rowVideoSize, plainSizeFragment)) {
    case kTopBottomBars:
        padded = LetterboxTopBottom(rowVideoSize, plainSizeFragment);
        break;
    case kLeftRightBars:
        padded = LetterboxLeftRight(rowVideoSize, plainSizeFragment);
        break;
    default:
        return std::string(plainSizeFragment);
    }
    if (padded == kLetterboxError) {
        return std::string(plainSizeFragment);
    }
    return padded;
}
