// zorir3e.exe: the converter the main program runs for every probe and every job. It speaks
// the old FFmpeg command-line dialect and writes the console report the program reads.

#include <csignal>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "arguments.h"
#include "console_report.h"
#include "transcode_job.h"

int main(int argc, char** argv) {
    // The libraries' own messages stay quiet: their wording ("failed", "error", "time") would be
    // read by the main program as failures and progress values.
    av_log_set_level(AV_LOG_QUIET);
    // A reader that went away must not end a conversion halfway.
    std::signal(SIGPIPE, SIG_IGN);
    // Past a file size limit a write fails like on a full disk, and is reported as a failure.
    std::signal(SIGXFSZ, SIG_IGN);

    std::vector<std::string> args(argv + 1, argv + argc);
    ConsoleReport report;
    const ParsedArguments parsed = ParseArguments(args);
    if (!parsed.options.quietBanner) {
        report.Line("zorir3e.exe, a video and audio converter on FFmpeg's libraries", Fit::Any);
    }
    if (!parsed.ok()) {
        report.Line(parsed.error);
        return 1;
    }
    return RunTranscode(parsed.options, report);
}
