#include "analysis/source_probe.h"

#include "analysis/probe_parser.h"
#include "base/ui_thread.h"
#include "encoder/delay.h"
#include "encoder/encoder_runner.h"
#include "encoder/process_killer.h"

#include <QCoreApplication>
#include <QFile>

namespace {

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromText(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

SourceProbe::SourceProbe(std::string appDir, SourceProbeHooks hooks)
    : m_appDir(std::move(appDir)), m_hooks(std::move(hooks)) {}

void SourceProbe::ProbeSourceFile(const QString& sourcePath) {
    m_probeSource = sourcePath;
    RunProbe(ProbeCommandLine(LocalPath(sourcePath), false), false);
}

void SourceProbe::ProbeSourceFileDirectShow(const QString& sourcePath) {
    m_probeSource = sourcePath;
    RunProbe(ProbeCommandLine(LocalPath(sourcePath), true), true);
}

void SourceProbe::RunProbe(const std::string& commandLine, bool directShow) {
    m_probeFailed = false;
    if (GivenUp()) {
        return;
    }
    if (OnUiThread()) {
        QCoreApplication::processEvents();
    }
    // Emptied before the start rather than just after it: nothing reads the log when the
    // encoder does not start, so both come to the same.
    m_log.Clear();

    EncoderRunSettings settings;
    settings.pollDelayMs = kPollDelayMs;
    settings.waitAfterEnd = false;
    settings.appDir = m_appDir;
    settings.timeLimitMs = m_timeLimitMs;
    // The encoder's whole report may already sit in the pipe when it is ended; reading it out
    // at the probe's pace would keep a closing program alive for seconds.
    settings.beforeRead = [this] { return GivenUp() ? RunnerStep::EndRun : RunnerStep::Continue; };
    settings.consumeChunk = [this](std::string_view chunk) {
        // The end of a chunk always ends a line, so the first line is complete after the
        // first chunk and the verdict settles there.
        m_log.AppendChunk(chunk);
        if (ProbeOutputRejected(m_log.Lines())) {
            m_probeFailed = true;
            EndEncoders();
            return RunnerStep::EndRun;
        }
        return RunnerStep::Continue;
    };

    EncoderRunResult result;
    try {
        result = EncoderRunner(commandLine, settings);
    } catch (...) {
        // Whatever was read so far still earns the source its row.
        AddProbedRow(directShow);
        throw;
    }
    if (!result.started || result.end == EncoderRunEnd::EndedByCheck) {
        // No row and no second route: the encoder is missing or broken, not the source; or
        // the analysis was given up while the encoder was describing it.
        return;
    }
    if (result.end == EncoderRunEnd::TimeLimitReached) {
        EndEncoders();
        m_probeFailed = true;
    }
    AddProbedRow(directShow);
}

void SourceProbe::EndEncoders() {
    ProcessKiller(kEncoderFileName);
}

void SourceProbe::AddProbedRow(bool directShow) {
    if (!m_probeFailed) {
        const ProbeResult probeResult = ParseProbeOutput(m_log.Lines());
        if (m_hooks.addJobRow) {
            m_hooks.addJobRow(m_probeSource, FromText(probeResult.frameSizeText),
                              FromText(probeResult.frameRateText),
                              FromText(probeResult.durationText));
        }
        if (m_hooks.showNewRow) {
            m_hooks.showNewRow();
        }
    } else if (directShow && m_hooks.addJobRow) {
        m_hooks.addJobRow(m_probeSource, QStringLiteral("Unknown"), QString(), QString());
    }
}
