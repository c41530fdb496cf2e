#include "analysis/analysis_texts.h"

#include <charconv>
#include <cmath>

namespace {

std::string NumberText(long long value) {
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, end);
}

} // namespace

std::string FrameSizeText(int width, int height) {
    return NumberText(width) + " x " + NumberText(height);
}

std::string FrameRateText(double framesPerSecond) {
    // Also keeps absurd rates from a damaged header inside the range of the integer below.
    if (!std::isfinite(framesPerSecond) || framesPerSecond <= 0 || framesPerSecond > 1e9) {
        return "0";
    }
    // Spelled out rather than left to the floating-point rounding mode.
    const double whole = std::floor(framesPerSecond);
    const double fraction = framesPerSecond - whole;
    long long rounded = static_cast<long long>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && rounded % 2 != 0)) {
        ++rounded;
    }
    return NumberText(rounded);
}

std::string FullDurationText(std::string_view durationText) {
    if (durationText.size() == 5) {
        return "00:" + std::string(durationText);
    }
    return std::string(durationText);
}

std::string LowerCaseExtension(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view fileName = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    std::string extension(fileName.substr(dot));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension;
}

bool IsAudioCdTrack(std::string_view path) {
    return LowerCaseExtension(path) == ".cda";
}
