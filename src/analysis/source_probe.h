#pragma once
// Asking the encoder about a source the media-information read found no picture in. The
// encoder is started with the source as its only input; it prints its description of the
// input and ends. Its first line tells whether it could open the source at all.
//
// Runs on the user-interface thread; the waits between reads serve events, so the analysis
// dialog's Cancel is noticed (it takes effect before the next file, never inside a probe).

#include "encoder/output_lines.h"

#include <QString>

#include <functional>
#include <string>

struct SourceProbeHooks {
    // Adds a checked row: source path, frame size, frame rate, duration.
    std::function<void(const QString&, const QString&, const QString&, const QString&)> addJobRow;
    // Scrolls the row added last into view.
    std::function<void()> showNewRow;
    // True once the analysis is given up (the main window closes): no probe starts any more,
    // and one under way stops reading at its next turn and adds no row. May be empty.
    std::function<bool()> givenUp;
};

class SourceProbe {
public:
    // An encoder that neither writes nor ends (a source on a stalled network share, a named
    // pipe) would freeze the analysis for ever; after this long it is ended and the source
    // counts as rejected.
    static constexpr int kDefaultTimeLimitMs = 30000;
    static constexpr int kPollDelayMs = 500;

    // `appDir` ends in "/": the encoder is looked for there first.
    SourceProbe(std::string appDir, SourceProbeHooks hooks);

    // The direct probe: the encoder opens the source itself.
    void ProbeSourceFile(const QString& sourcePath);
    // The second route, for sources the direct probe was rejected on. Rejected again, the
    // source still gets a row, marked "Unknown".
    void ProbeSourceFileDirectShow(const QString& sourcePath);
    // Runs one probe and adds the row it earns.
    void RunProbe(const std::string& commandLine, bool directShow);

    // Set when the encoder rejected the source (or did not answer in time).
    bool ProbeFailed() const { return m_probeFailed; }
    void ClearProbeFailed() { m_probeFailed = false; }

    void SetTimeLimitMs(int ms) { m_timeLimitMs = ms; }

    // Ends every encoder process, probes and conversions alike: encoders are only ever ended
    // by name.
    static void EndEncoders();
    const LineBuffer& Log() const { return m_log; }

private:
    void AddProbedRow(bool directShow);
    bool GivenUp() const { return m_hooks.givenUp && m_hooks.givenUp(); }

    std::string m_appDir;
    SourceProbeHooks m_hooks;
    int m_timeLimitMs = kDefaultTimeLimitMs;
    bool m_probeFailed = false;
    QString m_probeSource;
    LineBuffer m_log;
};
