#pragma once
// Letterbox padding: the picture is scaled to fit the target frame with its aspect ratio kept,
// and the rest of the frame is filled with two equal bars, above and below the picture or left
// and right of it.
//
// The source size comes from the job row's Video Size column ("640 x 360"); the target frame
// from the plain size fragment the same row gets (" -s 320x240").

#include <array>
#include <string>
#include <string_view>

// The entries of ComboLetterBox; index 1 turns the letterbox on.
inline constexpr std::array<std::string_view, 2> kLetterBoxEntries{"None", "LetterBox"};
inline constexpr int kLetterBoxOnIndex = 1;

// What the padding operations answer when the sizes cannot be worked out; the caller then
// keeps the plain size fragment.
inline constexpr std::string_view kLetterboxError = "error";

enum LetterboxDirectionCode : int {
    kNoBars = 0,
    kTopBottomBars = 1, // the source is wider than the frame
    kLeftRightBars = 2, // the source is narrower than the frame
};

// 0, 1 or 2; 0 also for any size that does not parse or divide.
int LetterboxDirection(std::string_view rowVideoSize, std::string_view plainSizeFragment);

// " -s TWxPH -padtop P -padbottom P" (without the padding when P is 0), or "error".
std::string LetterboxTopBottom(std::string_view rowVideoSize, std::string_view plainSizeFragment);

// " -s PWxTH -padleft P -padright P" (without the padding when P is 0), or "error".
std::string LetterboxLeftRight(std::string_view rowVideoSize, std::string_view plainSizeFragment);

// What the job command builder does with the letterbox on: the padded fragment in the
// direction the sizes call for, or the plain fragment when there is none or it fails.
std::string LetterboxedSizeFragment(std::string_view rowVideoSize,
                                    std::string_view plainSizeFragment);
