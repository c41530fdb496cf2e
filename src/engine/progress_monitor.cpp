#include "engine/progress_monitor.h"

#include "command/text_rules.h"
#include "engine/monitor_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace {

constexpr std::string_view kInputHeader = "Input #0,";
constexpr std::string_view kOutputHeader = "Output #0,";
constexpr std::string_view kFrameMarker = "frame=";
constexpr std::string_view kSizeMarker = "size=";
constexpr std::string_view kDurationMarker = "Duration: ";
constexpr std::string_view kTimeMarker = "time";
constexpr std::string_view kUnsupportedCodec = "Unsupported codec";

// The size value must sit with "size=" and "kB" inside this many characters; a longer number
// shows as nothing rather than as a wrong figure.
constexpr std::size_t kSizeWindow = 13;
// How much of the text after "Duration: " is looked at.
constexpr std::size_t kDurationWindow = 20;
// "time" is followed by one more character ("=") before the seconds.
constexpr std::size_t kTimeValueOffset = 5;

// Searched in this order, case-sensitively. Each marks the job as failed; "Unsupported codec"
// is looked for after them and ends the reading on its own.
constexpr std::string_view kFailureWords[] = {
    "xpxframe",
    "clntcore.dll",
    "failed",
    "Unexpected",
    "error:",
    "Error while opening file",
    "exception encounter",
    "Unknown format",
};

bool IsHeaderLine(std::string_view line) {
    return Contains(line, kInputHeader) || Contains(line, kOutputHeader);
}

// The text before the first `c`; empty when there is none.
std::string_view TextBefore(std::string_view text, char c) {
    const auto pos = text.find(c);
    return pos == std::string_view::npos ? std::string_view{} : text.substr(0, pos);
}

// The text after the first `c`; the whole text when there is none (the position of a missing
// character counts as 0, so the piece starts at the beginning).
std::string_view TextAfter(std::string_view text, char c) {
    const auto pos = text.find(c);
    return pos == std::string_view::npos ? text : text.substr(pos + 1);
}

// A whole number as the encoder prints it: decimal digits only, within the range of a 32-bit
// integer. Anything else (an empty piece included) is not a number.
std::optional<std::int64_t> ReadWholeNumber(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt;
        }
    }
    return value;
}

// A decimal number with "." as the decimal point, whatever the user's locale: an optional sign,
// digits with at most one point, at least one digit. No exponent, no "inf" or "nan".
std::optional<long double> ReadDecimalNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1); // from_chars takes no plus sign
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    const std::string_view unsignedPart = text.starts_with('-') ? text.substr(1) : text;
    bool pointSeen = false;
    bool digitSeen = false;
    for (const char c : unsignedPart) {
        if (c >= '0' && c <= '9') {
            digitSeen = true;
        } else if (c == '.' && !pointSeen) {
            pointSeen = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digitSeen) {
        return std::nullopt;
    }
    long double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Rounds to the nearest whole number, a half to the even neighbour (0.5 → 0, 1.5 → 2).
long double RoundHalfToEven(long double value) {
    const long double lower = std::floor(value);
    const long double fraction = value - lower;
    if (fraction > 0.5L) {
        return lower + 1;
    }
    if (fraction < 0.5L) {
        return lower;
    }
    return std::fmod(lower, 2.0L) == 0 ? lower : lower + 1;
}

std::string NumberText(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

ProgressMonitor::ProgressMonitor(MonitorSetup setup) : m_setup(setup) {}

void ProgressMonitor::AskForRetry() {
    // The retry run never asks for another run. Leaving the request unset there also makes a
    // retry that ends through a wrong first line or "Unsupported codec" read "Failed": the job
    // failed twice, and an empty Progress column would hide that.
    if (!m_setup.retryPass) {
        m_retryWanted = true;
    }
}

ChunkOutcome ProgressMonitor::FeedChunk(const std::vector<std::string>& lines) {
    ChunkOutcome outcome;
    if (m_endCause != ReadingEndCause::None) {
        outcome.decision = ReadDecision::TerminateAndEnd;
        outcome.cause = m_endCause;
        return outcome;
    }
    const auto end = [&](ReadingEndCause cause) {
        m_endCause = cause;
        outcome.decision = ReadDecision::TerminateAndEnd;
        outcome.cause = cause;
        return outcome;
    };

    static const std::vector<std::string> kOneEmptyLine{std::string()};
    const std::vector<std::string>& chunkLines = lines.empty() ? kOneEmptyLine : lines;
    const bool firstChunk = !m_firstChunkSeen;
    m_firstChunkSeen = true;

    bool lastLineIsHeader = false;
    for (std::size_t i = 0; i < chunkLines.size(); ++i) {
        const std::string& line = chunkLines[i];
        // Header lines quote the source and output paths. A path may hold "failed", "time",
        // "size=" or any other marker, so these lines are never read for values or failures;
        // otherwise a folder named "failed" could never convert.
        const bool header = (i == 0 && m_headerContinues) || IsHeaderLine(line);
        lastLineIsHeader = header;

        if (!header) {
            if (m_valuesIgnored) {
                ReadFrameCount(line, outcome.updates);
            } else if (!ReadProgressValues(line, outcome.updates)) {
                m_valuesIgnored = true;
            }
        }

        if (firstChunk && i == 0 && !line.starts_with(kInputHeader)) {
            m_failureSeen = true;
            AskForRetry();
            return end(ReadingEndCause::WrongFirstLine);
        }

        if (!header) {
            for (const std::string_view word : kFailureWords) {
                if (Contains(line, word)) {
                    m_failureSeen = true;
                }
            }
            if (Contains(line, kUnsupportedCodec)) {
                m_failureSeen = true;
                AskForRetry();
                return end(ReadingEndCause::UnsupportedCodec);
            }
        }

        if (m_failureSeen) {
            AskForRetry();
            return end(ReadingEndCause::FailureWord);
        }
    }
    // A chunk that ends with CR LF has an empty last line. Anything else is a line cut off by
    // the chunk size, and the next chunk begins with the rest of it, unless the cut fell
    // between the CR and the LF: then the header is whole, and the next chunk's first line
    // (after that LF) is the line that follows it, such as the duration.
    const std::string& lastLine = chunkLines.back();
    m_headerContinues = lastLineIsHeader && !lastLine.empty() && !lastLine.ends_with('\r');
    return outcome;
}

void ProgressMonitor::ReadFrameCount(std::string_view text, std::vector<MonitorUpdate>& updates) {
    using Target = MonitorUpdate::Target;
    if (const auto pos = text.find(kFrameMarker); pos != std::string_view::npos) {
        const std::string_view rest = TextPiece(text, pos + kFrameMarker.size());
        const auto blank = rest.find(' ');
        const std::string_view count =
            blank == std::string_view::npos ? std::string_view{} : rest.substr(0, blank);
        updates.push_back({Target::FramesColumn, std::string(count)});
        updates.push_back({Target::LastFrameText, std::string(TrimAscii(count))});
    }
}

bool ProgressMonitor::ReadProgressValues(const std::string& line,
                                         std::vector<MonitorUpdate>& updates) {
    using Target = MonitorUpdate::Target;
    const std::string_view text = line;

    ReadFrameCount(text, updates);

    if (const auto pos = text.find(kSizeMarker); pos != std::string_view::npos) {
        const std::string_view window = TextPiece(text, pos, kSizeWindow);
        const auto kb = window.find("kB");
        const std::string_view value = kb == std::string_view::npos
                                           ? std::string_view{}
                                           : TextPiece(window.substr(0, kb), kSizeMarker.size());
        updates.push_back({Target::SizePanel, "Output File Size : " + std::string(value) + " KB"});
    }

    if (const auto pos = text.find(kDurationMarker); pos != std::string_view::npos) {
        if (!ReadDuration(line, pos, updates)) {
            return false;
        }
    }

    if (const auto pos = text.find(kTimeMarker); pos != std::string_view::npos) {
        if (!ReadTime(line, pos, updates)) {
            return false;
        }
    }
    return true;
}

bool ProgressMonitor::ReadDuration(const std::string& line, std::size_t markerPos,
                                   std::vector<MonitorUpdate>& updates) {
    const std::string_view after = TextPiece(line, markerPos + kDurationMarker.size());
    if (TextPiece(after, 0, 3) == "N/A") {
        m_durationSeconds = 0;
    } else {
        // "HH:MM:SS.ff, start: …": everything up to the comma, without the fraction.
        std::string_view clock = TextBefore(TextPiece(after, 0, kDurationWindow), ',');
        if (const auto point = clock.find('.'); point != std::string_view::npos) {
            clock = clock.substr(0, point);
        }
        std::string_view hours = TextBefore(clock, ':');
        const std::string_view afterHours = TextAfter(clock, ':');
        const std::string_view minutes = TextBefore(afterHours, ':');
        const std::string_view secondsRest = TextAfter(afterHours, ':');
        const std::string_view seconds = TextPiece(secondsRest, 0, minutes.size());
        // A source of a hundred hours or more is taken as shorter than an hour; its percentage
        // then caps at 100 rather than crawling.
        if (hours.size() > 2) {
            hours = "0";
        }
        const auto h = ReadWholeNumber(hours);
        const auto m = ReadWholeNumber(minutes);
        const auto s = ReadWholeNumber(seconds);
        if (!h || !m || !s) {
            return false;
        }
        m_durationSeconds = *h * 3600 + *m * 60 + *s;
        // The media-information lookup gives audio-CD tracks no length, so the encoder's own
        // figure goes into the Duration column.
        if (m_setup.cdaSource && m_durationSeconds != 0) {
            updates.push_back(
                {MonitorUpdate::Target::DurationColumn,
                 std::string(hours) + ":" + std::string(minutes) + ":" + std::string(secondsRest)});
        }
    }
    // A length below one second (or none) counts as one second, so the percentage never
    // divides by zero once a duration line was seen.
    if (m_durationSeconds == 0) {
        m_durationSeconds = 1;
    }
    return true;
}

bool ProgressMonitor::ReadTime(const std::string& line, std::size_t markerPos,
                               std::vector<MonitorUpdate>& updates) {
    const std::string_view rest = TextPiece(line, markerPos + kTimeValueOffset);
    const auto blank = rest.find(' ');
    const std::string_view piece =
        blank == std::string_view::npos ? std::string_view{} : rest.substr(0, blank + 1);
    const auto elapsed = ReadDecimalNumber(TrimAscii(piece));
    // A time value before any duration line has nothing to be a percentage of.
    if (!elapsed || m_durationSeconds == 0) {
        return false;
    }
    long double percent =
        RoundHalfToEven(*elapsed / static_cast<long double>(m_durationSeconds) * 100.0L);
    // Elapsed seconds beyond the whole-second duration give more than 100; the bar and the
    // column both stop at 100. The lower bound only keeps an absurd negative time printable.
    percent = std::clamp(percent, -1.0e15L, 100.0L);
    const auto shown = static_cast<std::int64_t>(percent);
    updates.push_back({MonitorUpdate::Target::ProgressBar,
                       {},
                       static_cast<int>(std::clamp<std::int64_t>(shown, 0, 100))});
    updates.push_back({MonitorUpdate::Target::ProgressColumn, NumberText(shown) + "%"});
    return true;
}
