#pragma once
// The encoder's probe: started with an input and no output, it describes the input and ends.
// These are the rules for building its command lines and for reading its description; the
// flow that runs it lives beside the add-files command.

#include <string>
#include <string_view>
#include <vector>

// What one probe found out about a source.
struct ProbeResult {
    std::string frameSizeText = "0 x 0";
    std::string frameRateText = "0";
    std::string durationText;
};

// The encoder is named without a folder: the runner looks for it in the program's folder first.
// Named apart from the required-files check's char array: two inline constants of one name and
// different types in one program are merged by the linker, and one of them reads garbage.
inline constexpr std::string_view kProbeEncoderFileName = "zorir3e.exe";
// The encoder reads a path behind this prefix by its second, more tolerant route.
inline constexpr std::string_view kDirectShowPrefix = "DS:\\\\";

// "zorir3e.exe" -@ -y  -i "<path>", with the DirectShow prefix in front of the path for the
// second probe. The path is used exactly as given (a Linux file name may begin or end with a
// blank); a quote or backslash in it is escaped so the encoder receives it as one argument.
std::string ProbeCommandLine(std::string_view sourcePath, bool directShow);

// True when the output has at least one line and its first line does not begin with
// "Input #0," (a first line shorter than that counts as rejected too).
bool ProbeOutputRejected(const std::vector<std::string>& lines);

// Reads frame size, frame rate and duration from the probe's output lines. The last
// "Duration: " line and the last "Video:" line decide, except that a duration of "N/A" stops
// the reading at once.
ProbeResult ParseProbeOutput(const std::vector<std::string>& lines);
