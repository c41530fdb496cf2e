#pragma once
// How one analysed source is written into its row: the texts made from what the
// media-information read found, and the extension rule for audio CD track entries.

#include <string>
#include <string_view>

// "640 x 480".
std::string FrameSizeText(int width, int height);

// The frame rate rounded to a whole number, a tie going to the even neighbour: 29.97 gives
// "30", 12.5 "12", 13.5 "14". Anything that is not a finite positive number gives "0".
std::string FrameRateText(double framesPerSecond);

// The media-information read writes "MM:SS" under an hour and "HH:MM:SS" from an hour on. A
// text of exactly 5 characters gets "00:" in front so the column always reads hours first.
std::string FullDurationText(std::string_view durationText);

// The extension of the file-name part of `path`, with its dot, ASCII letters lower-cased;
// empty when the name has no dot.
std::string LowerCaseExtension(std::string_view path);

// Audio CD track entries (".cda" in any case) are never probed and get no duration.
bool IsAudioCdTrack(std::string_view path);
