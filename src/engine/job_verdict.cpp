#include "engine/job_verdict.h"

OutputFileState OutputFileStateFrom(bool exists, std::string_view sizeText) {
    if (!exists) {
        return OutputFileState::Missing;
    }
    return sizeText == "0" ? OutputFileState::Empty : OutputFileState::NonEmpty;
}

// Each step may overwrite the one before; the order is what makes "Aborted" beat "Done" and a
// stall or a missing file beat everything.
JobVerdict JudgeJob(const JobEndFacts& facts) {
    JobVerdict verdict;
    std::string progress = facts.progressText;
    bool retryWanted = facts.retryWanted;
    const bool empty = facts.outputFile == OutputFileState::Empty;
    const bool missing = facts.outputFile == OutputFileState::Missing;

    if (facts.started) {
        // A clean retry that wrote nothing has failed twice.
        if (!facts.failureSeen && facts.retryPass && empty) {
            progress = "Failed";
        }
        // A clean run that wrote nothing is worth a try through the other input route.
        if (!facts.failureSeen && !retryWanted && (empty || missing)) {
            retryWanted = true;
        }
        if (!retryWanted || facts.failureSeen) {
            progress = "Done";
        }
        if (facts.abortRequested) {
            progress = "Aborted";
        }
        // A failed first run leaves the column empty: the retry writes "Re-scan" into it.
        if (!facts.abortRequested && facts.failureSeen) {
            progress = retryWanted ? std::string() : std::string("Failed");
        }
        if (facts.stalled) {
            progress = "Failed";
        }
        verdict.pauseThenEmptyBar = true;
        verdict.fillBarBeforePause = !facts.abortRequested;
    }
    verdict.judgedText = progress;

    if (missing) {
        progress = "Failed";
    }
    verdict.finalText = progress;
    verdict.retryWanted = retryWanted;
    return verdict;
}
