#pragma once
// The sixteen output profiles and the nineteen entries of the output format selector.
// The selector's text is the only record of the chosen profile: every consumer looks the
// profile up again from that text when it needs it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct OutputProfile {
    std::string_view displayName; // exactly the selector entry
    std::string_view extension;   // upper case, no dot: what the Output column shows
    int32_t profileCode;          // picks the option panel and the command template
    bool hasVideo;                // false for the three audio-only profiles
};

// Kept in ProfileCode order.
extern const std::array<OutputProfile, 16> ProfileCatalogue;

// The divider line between groups of entries: 14 blanks and 41 hyphens.
inline constexpr std::string_view kSeparatorEntry =
    "              -----------------------------------------";

// The selector's entries in order. The settings file stores the selected index, so this order
// is part of the settings file's format.
extern const std::array<std::string_view, 19> OfferedFormatList;

// No display name begins with two blanks, so such a text is a separator entry.
bool IsSeparatorText(std::string_view selectorText);

// The lookup rule: whole text, exact, case-sensitive. nullptr for a separator (or any text
// that names no profile).
const OutputProfile* FindProfile(std::string_view selectorText);

// Sets `extension` to the profile's extension; leaves it as passed when no profile matches.
void SelectedOutputExtension(std::string_view selectorText, std::string& extension);

// False only for a profile without video; true also when no profile matches.
bool AspectRatioAllowed(std::string_view selectorText);
