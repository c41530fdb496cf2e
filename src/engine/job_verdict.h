#pragma once
// The verdict of one encoder run: what the row's Progress column says when the run is over,
// whether the job loop is to run the job once more through the other input route, and what the
// progress bar does before the next job. Pure: the job run gathers the facts and carries out
// the result.

#include <string>
#include <string_view>

enum class OutputFileState {
    Missing,
    Empty,
    NonEmpty, // also a file whose size could not be looked up
};

// The output file as the verdict sees it, from whether a file exists at the output path and
// the text the file-size lookup left ("0" only for an existing empty file, "nil" when the
// lookup failed, unchanged when there is no file).
OutputFileState OutputFileStateFrom(bool exists, std::string_view sizeText);

struct JobEndFacts {
    bool started = false; // the encoder process started
    bool failureSeen = false;
    bool retryPass = false;
    bool retryWanted = false; // as the monitor left it
    bool abortRequested = false;
    bool stalled = false; // the watchdog ended the encoder
    // The encoder ended with a non-zero exit status or by a signal (whoever sent it). Known
    // only for an encoder that was waited for after its output closed.
    bool exitFailed = false;
    OutputFileState outputFile = OutputFileState::Missing;
    std::string progressText; // the Progress column as the run left it ("37%", "Re-scan", "")
};

struct JobVerdict {
    // The Progress column once the run is judged, shown during the short pause that follows.
    std::string judgedText;
    // The Progress column after the final check for a missing output file.
    std::string finalText;
    bool retryWanted = false;
    // Only a run whose encoder started pauses 260 ms and then empties the progress bar; the
    // bar is first filled unless the user stopped the run.
    bool pauseThenEmptyBar = false;
    bool fillBarBeforePause = false;
};

JobVerdict JudgeJob(const JobEndFacts& facts);
