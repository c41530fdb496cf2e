#include "arguments.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<double> ParseDecimal(std::string_view text) {
    text = TrimBlanks(text);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

constexpr int kMaxKbps = 1000000;

// Options that take a value, and the ones that stand alone.
enum class Kind { Flag, Value };

struct OptionName {
    std::string_view name;
    Kind kind;
};

constexpr OptionName kOptions[] = {
    {"-@", Kind::Flag},          {"-y", Kind::Flag},           {"-an", Kind::Flag},
    {"-vn", Kind::Flag},         {"-id3v1", Kind::Flag},       {"-id3v2", Kind::Flag},
    {"-i", Kind::Value},         {"-f", Kind::Value},          {"-vcodec", Kind::Value},
    {"-acodec", Kind::Value},    {"-b", Kind::Value},          {"-bt", Kind::Value},
    {"-r", Kind::Value},         {"-ab", Kind::Value},         {"-ar", Kind::Value},
    {"-ac", Kind::Value},        {"-s", Kind::Value},          {"-padtop", Kind::Value},
    {"-padbottom", Kind::Value}, {"-padleft", Kind::Value},    {"-padright", Kind::Value},
    {"-aspect", Kind::Value},    {"-vol_factor", Kind::Value},
};

const OptionName* FindOption(std::string_view arg) {
    for (const auto& option : kOptions) {
        if (option.name == arg) {
            return &option;
        }
    }
    return nullptr;
}

bool ParseSize(std::string_view text, int* width, int* height) {
    text = TrimBlanks(text);
    const size_t x = text.find('x');
    if (x == std::string_view::npos) {
        return false;
    }
    const std::string_view w = text.substr(0, x);
    const std::string_view h = text.substr(x + 1);
    const auto r1 = std::from_chars(w.data(), w.data() + w.size(), *width);
    const auto r2 = std::from_chars(h.data(), h.data() + h.size(), *height);
    return r1.ec == std::errc() && r1.ptr == w.data() + w.size() && r2.ec == std::errc() &&
           r2.ptr == h.data() + h.size() && *width > 0 && *height > 0 && *width <= 8192 &&
           *height <= 8192;
}

} // namespace

std::optional<int> LeadingInteger(const std::string& value, bool* bad) {
    const std::string_view text = TrimBlanks(value);
    if (text.empty()) {
        return std::nullopt;
    }
    int number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc()) {
        *bad = true;
        return std::nullopt;
    }
    return number;
}

std::optional<Rational> ParseFrameRate(const std::string& value) {
    const auto rate = ParseDecimal(value);
    if (!rate || *rate <= 0 || *rate > 1000) {
        return std::nullopt;
    }
    // The selector writes the NTSC family as 14.985, 23.975 and 29.97; they mean n*1000/1001.
    for (const int whole : {15, 24, 30, 48, 60}) {
        const double ntsc = whole * 1000.0 / 1001.0;
        if (std::fabs(*rate - ntsc) < 0.002 && std::fabs(*rate - whole) > 0.002) {
            return Rational{whole * 1000, 1001};
        }
    }
    const double rounded = std::round(*rate);
    if (std::fabs(*rate - rounded) < 1e-6) {
        return Rational{static_cast<int>(rounded), 1};
    }
    return Rational{static_cast<int>(std::lround(*rate * 1000)), 1000};
}

std::optional<Rational> ParseAspect(const std::string& value) {
    const std::string_view text = TrimBlanks(value);
    const size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        const auto w = ParseDecimal(text.substr(0, colon));
        const auto h = ParseDecimal(text.substr(colon + 1));
        if (!w || !h || *w <= 0 || *h <= 0 || *w > 10000 || *h > 10000) {
            return std::nullopt;
        }
        return Rational{static_cast<int>(std::lround(*w * 1000)),
                        static_cast<int>(std::lround(*h * 1000))};
    }
    const auto ratio = ParseDecimal(text);
    if (!ratio || *ratio <= 0.1 || *ratio > 10) {
        return std::nullopt;
    }
    return Rational{static_cast<int>(std::lround(*ratio * 10000)), 10000};
}

double VolumeGainForLevel(int level) {
    // The slider's two lowest steps are labelled 20 % and 40 % but sent as "2" and "5".
    if (level == 2) {
        return 0.2;
    }
    if (level == 5) {
        return 0.4;
    }
    return level <= 0 ? 0.0 : level / 50.0;
}

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
    ParsedArguments result;
    TranscodeOptions& o = result.options;
    bool inputSeen = false;
    std::vector<std::string> positional;

    auto fail = [&result](std::string line) {
        result.error = std::move(line);
        return result;
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const OptionName* option = arg.size() > 1 && arg[0] == '-' ? FindOption(arg) : nullptr;
        if (arg.size() > 1 && arg[0] == '-' && option == nullptr) {
            return fail("Unexpected option " + arg + ": not understood, conversion failed");
        }
        if (option == nullptr) {
            positional.push_back(arg);
            continue;
        }
        if (option->kind == Kind::Flag) {
            if (arg == "-@") {
                o.quietBanner = true;
            } else if (arg == "-y") {
                o.overwrite = true;
            } else if (arg == "-an") {
                o.noAudio = true;
            } else if (arg == "-vn") {
                o.noVideo = true;
            } else if (arg == "-id3v1") {
                o.id3v1 = true;
            } else if (arg == "-id3v2") {
                o.id3v2 = true;
            }
            continue;
        }
        if (i + 1 >= args.size()) {
            return fail("Unexpected end of arguments: " + arg + " needs a value");
        }
        const std::string& value = args[++i];
        bool bad = false;
        auto number = [&bad, &value]() { return LeadingInteger(value, &bad); };

        if (arg == "-i") {
            if (inputSeen) {
                return fail("Unexpected second input: only one input is converted");
            }
            inputSeen = true;
            std::string_view path = value;
            if (path.substr(0, kTolerantInputPrefix.size()) == kTolerantInputPrefix) {
                path.remove_prefix(kTolerantInputPrefix.size());
                o.tolerantInput = true;
            }
            o.inputPath = std::string(path);
        } else if (arg == "-f") {
            (inputSeen ? o.outputFormat : o.inputFormat) = std::string(TrimBlanks(value));
        } else if (arg == "-vcodec") {
            o.videoCodec = std::string(TrimBlanks(value));
        } else if (arg == "-acodec") {
            o.audioCodec = std::string(TrimBlanks(value));
        } else if (arg == "-b") {
            o.videoBitrateKbps = number();
        } else if (arg == "-bt") {
            o.videoToleranceKbps = number();
        } else if (arg == "-ab") {
            o.audioBitrateKbps = number();
        } else if (arg == "-ar") {
            o.sampleRateHz = number();
        } else if (arg == "-ac") {
            o.channels = number();
        } else if (arg == "-vol_factor") {
            o.volumeLevel = number();
        } else if (arg == "-padtop" || arg == "-padbottom" || arg == "-padleft" ||
                   arg == "-padright") {
            const int pad = number().value_or(0);
            if (pad < 0 || pad > 4096 || pad % 2 != 0) {
                bad = true;
            }
            (arg == "-padtop"      ? o.padTop
             : arg == "-padbottom" ? o.padBottom
             : arg == "-padleft"   ? o.padLeft
                                   : o.padRight) = pad;
        } else if (arg == "-r") {
            if (!TrimBlanks(value).empty()) {
                o.frameRate = ParseFrameRate(value);
                bad = !o.frameRate;
            }
        } else if (arg == "-aspect") {
            if (!TrimBlanks(value).empty()) {
                o.aspect = ParseAspect(value);
                bad = !o.aspect;
            }
        } else if (arg == "-s") {
            int w = 0;
            int h = 0;
            if (!ParseSize(value, &w, &h)) {
                bad = true;
            } else {
                o.width = w;
                o.height = h;
            }
        }
        if (bad) {
            return fail("Unexpected value \"" + value + "\" for " + arg + ", conversion failed");
        }
        // Bitrates are turned into bits per second in plain integers; a gigabit a second is
        // beyond every codec here, and a value past it would overflow.
        auto bitrateOutOfRange = [](const std::optional<int>& kbps) {
            return kbps && (*kbps <= 0 || *kbps > kMaxKbps);
        };
        const bool outOfRange =
            bitrateOutOfRange(o.videoBitrateKbps) || bitrateOutOfRange(o.audioBitrateKbps) ||
            (o.videoToleranceKbps &&
             (*o.videoToleranceKbps < 0 || *o.videoToleranceKbps > kMaxKbps)) ||
            (o.sampleRateHz && *o.sampleRateHz <= 0) || (o.channels && *o.channels <= 0) ||
            (o.volumeLevel && *o.volumeLevel < 0);
        if (outOfRange) {
            return fail("Unexpected value \"" + value + "\" for " + arg + ", conversion failed");
        }
    }

    if (!inputSeen || o.inputPath.empty()) {
        return fail("Unexpected arguments: no input given (-i), conversion failed");
    }
    if (positional.size() > 1) {
        return fail("Unexpected extra argument, conversion failed");
    }
    if (!positional.empty()) {
        o.outputPath = positional.front();
    }
    return result;
}
