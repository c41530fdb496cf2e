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
    // An encoder that did not finish its file (another program ended it, it crashed, it said so
    // with its exit status) has failed like one that printed a failure word, however large the
    // file it left. Stop and the watchdog end it on purpose, and have verdicts of their own.
    const bool exitFailed =
        facts.started && facts.exitFailed && !facts.abortRequested && !facts.stalled;
    const bool failureSeen = facts.failureSeen || exitFailed;
    bool retryWanted = facts.retryWanted || (exitFailed && !facts.retryPass);
    const bool empty = facts.outputFile == OutputFileState::Empty;
    const bool missing = facts.outputFile == OutputFileState::Missing;

    if (facts.started) {
        // A clean retry that wrote nothing has failed twice.
        if (!failureSeen && facts.retryPass && empty) {
            progress = "Failed";
        }
        // A clean run that wrote nothing is worth a try through the other input route.
        if (!failureSeen && !retryWanted && (empty || missing)) {
            retryWanted = true;
        }
        if (!retryWanted || failureSeen) {
            progress = "Done";
        }
        if (facts.abortRequested) {
            progress = "Aborted";
        }
        // A failed first run leaves the column empty: the retry writes "Re-scan" into it.
        if (!facts.abortRequested && failureSeen) {
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
