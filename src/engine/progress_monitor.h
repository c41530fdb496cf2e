#pragma once
// The rules that turn one encoder run's console report into row texts and a decision whether
// to go on reading. Lines in, updates and decisions out: the job run reads the pipe, splits
// each chunk into lines, feeds them here and carries out what comes back, in order, on the
// controls and the shared state. Nothing here touches a control, a file or a process.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One change the job run must carry out. Updates are delivered in the order the report asked
// for them, so that a failure later in a chunk still leaves the earlier lines' values shown.
struct MonitorUpdate {
    enum class Target {
        FramesColumn,   // the row's Frames column := text
        LastFrameText,  // ConversionState::LastFrameText := text (the watchdog compares it)
        SizePanel,      // status bar panel 2 := text ("Output File Size : " … " KB")
        DurationColumn, // the row's Duration column := text (".cda" sources only)
        ProgressBar,    // progress bar := barValue (0 … 100)
        ProgressColumn, // the row's Progress column := text ("42%")
    };
    Target target;
    std::string text;
    int barValue = 0;

    bool operator==(const MonitorUpdate&) const = default;
};

enum class ReadDecision {
    KeepReading,
    // End the reading now and terminate every encoder by name before the job is judged: no
    // exit leaves an encoder writing while the verdict, the retry or the next row follows.
    TerminateAndEnd,
};

// Why the reading ended; None while it goes on.
enum class ReadingEndCause {
    None,
    FailureWord,      // one of the failure words (the job failed)
    WrongFirstLine,   // the report did not begin with "Input #0,"
    UnsupportedCodec, // "Unsupported codec"
};

struct ChunkOutcome {
    std::vector<MonitorUpdate> updates;
    ReadDecision decision = ReadDecision::KeepReading;
    ReadingEndCause cause = ReadingEndCause::None;
};

struct MonitorSetup {
    bool retryPass = false; // this run is the retry of the row (there is never a third run)
    bool cdaSource = false; // the source's extension, in lower case, is ".cda"
};

class ProgressMonitor {
public:
    explicit ProgressMonitor(MonitorSetup setup);

    // One chunk of the report, already cut into lines at CR LF (a chunk that ends with CR LF
    // gives an empty last line; an empty list counts as one empty line). Once the outcome says
    // TerminateAndEnd, later chunks change nothing and repeat that decision.
    //
    // A value that cannot be handled (one that is not a number, a time value before any
    // duration) does not end the reading: from that line on the report's values are no longer
    // read, except the frame count, which the watchdog needs to tell a working encoder from a
    // stalled one. Failure words are still looked for; the encoder is left to end by itself
    // and is judged by how it ended.
    ChunkOutcome FeedChunk(const std::vector<std::string>& lines);

    bool FailureSeen() const { return m_failureSeen; }
    bool RetryWanted() const { return m_retryWanted; }
    std::int64_t DurationSeconds() const { return m_durationSeconds; }
    ReadingEndCause EndCause() const { return m_endCause; }
    bool ValuesIgnored() const { return m_valuesIgnored; }

private:
    bool ReadProgressValues(const std::string& line, std::vector<MonitorUpdate>& updates);
    static void ReadFrameCount(std::string_view line, std::vector<MonitorUpdate>& updates);
    bool ReadDuration(const std::string& line, std::size_t markerPos,
                      std::vector<MonitorUpdate>& updates);
    bool ReadTime(const std::string& line, std::size_t markerPos,
                  std::vector<MonitorUpdate>& updates);
    void AskForRetry();

    MonitorSetup m_setup;
    bool m_failureSeen = false;
    bool m_retryWanted = false;
    std::int64_t m_durationSeconds = 0;
    bool m_firstChunkSeen = false;
    // The previous chunk ended inside a header line, so this chunk's first line is the rest of
    // that header (its path) and is exempt like the header itself.
    bool m_headerContinues = false;
    ReadingEndCause m_endCause = ReadingEndCause::None;
    bool m_valuesIgnored = false;
};
