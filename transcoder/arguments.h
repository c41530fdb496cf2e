#pragma once
// The converter's argument dialect: the old FFmpeg switches, with the quirks of the command
// lines the main program writes (values in quotes, "8000 " and "2 (stereo)" read by their
// leading number, an empty value meaning "not set", "DS:\\" before a path read tolerantly).
// Pure: no FFmpeg here, so the rules can be checked on their own.

#include <optional>
#include <string>
#include <vector>

struct Rational {
    int num = 0;
    int den = 1;
    bool operator==(const Rational&) const = default;
};

struct TranscodeOptions {
    bool quietBanner = false; // -@
    bool overwrite = false;   // -y
    std::string inputPath;    // without the "DS:\\" prefix
    bool tolerantInput = false;
    std::string inputFormat;  // -f before -i
    std::string outputPath;   // empty: describe the input and end
    std::string outputFormat; // -f after -i

    std::string videoCodec; // as written, empty when not given
    std::string audioCodec;
    std::optional<int> videoBitrateKbps;   // -b
    std::optional<int> videoToleranceKbps; // -bt
    std::optional<Rational> frameRate;     // -r
    std::optional<int> audioBitrateKbps;   // -ab
    std::optional<int> sampleRateHz;       // -ar
    std::optional<int> channels;           // -ac
    bool noAudio = false;                  // -an
    bool noVideo = false;                  // -vn
    std::optional<int> width;              // -s WxH: the picture before the bars
    std::optional<int> height;
    int padTop = 0;
    int padBottom = 0;
    int padLeft = 0;
    int padRight = 0;
    std::optional<Rational> aspect; // -aspect
    std::optional<int> volumeLevel; // -vol_factor, the main window's level
    bool id3v1 = false;
    bool id3v2 = false;
};

struct ParsedArguments {
    TranscodeOptions options;
    std::string error; // a line for the report when the arguments cannot be understood
    bool ok() const { return error.empty(); }
};

// argv without the program name.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

// The leading integer of a value ("8000 " -> 8000, "2 (stereo)" -> 2); nullopt for an empty or
// blank value, which means "not set". Sets *bad for a value that does not start with a number.
std::optional<int> LeadingInteger(const std::string& value, bool* bad);

// "29.97" -> 30000/1001, "14.985" -> 15000/1001, "25.0" -> 25/1, "11" -> 11/1.
std::optional<Rational> ParseFrameRate(const std::string& value);

// "4:3", "16:9" or a decimal ratio such as "1.7778".
std::optional<Rational> ParseAspect(const std::string& value);

// The gain that keeps the main window's percentage label true: "50" leaves the volume as it is.
double VolumeGainForLevel(int level);

// The prefix that asks for the tolerant input route: D, S, colon, two backslashes.
inline constexpr std::string_view kTolerantInputPrefix = "DS:\\\\";
