#pragma once
// Runs the encoder as a child process and hands its console report to the caller in chunks.
// Standard output and standard error flow into one pipe; the child reads the program's own
// standard input. The command line is split by the Windows rules (SplitCommandLine) and never
// handed to a shell. The runner never ends the child itself: the callers terminate encoders by
// name (ProcessKiller), the way every encoder of this program is ended.
//
// Order of one turn of the reading loop, which the callers' timing relies on:
//   Delay(pollDelayMs) -> before-read check -> read of at most 255 bytes -> chunk consumer.
// The read waits until the child writes or its output closes. On the user-interface thread
// that wait serves events like Delay does, so the windows stay alive while a slow encoder
// thinks; on any other thread it simply blocks.

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

// What a callback tells the runner.
enum class RunnerStep { Continue, EndRun };

// How a run ended.
enum class EncoderRunEnd {
    NotStarted,      // the program was not found or could not be started
    OutputClosed,    // the child's output closed (it ended, or closed it)
    EndedByCheck,    // the before-read check ended the run
    EndedByConsumer, // the chunk consumer ended the run
    TimeLimitReached // the run's time limit passed before the output closed
};

struct EncoderRunSettings {
    int pollDelayMs = 0;
    // Asked before every read; may be empty (no check).
    std::function<RunnerStep()> beforeRead;
    // Receives each chunk: at most 255 bytes, cut at the first zero byte if one came.
    std::function<RunnerStep(std::string_view chunk)> consumeChunk;
    // After the output has closed, wait for the child to exit (without a time limit). A child
    // that is not waited for is reaped in the background once it exits.
    bool waitAfterEnd = false;
    // A program name without "/" is looked for here first (ends in "/"), then along PATH.
    std::string appDir;
    // 0: no limit. Otherwise the run ends with TimeLimitReached once this many milliseconds
    // have passed since the start, at the latest while waiting for output; the child is left
    // running for the caller to terminate by name.
    int timeLimitMs = 0;
};

// How the child ended, as far as the runner saw it.
enum class ChildExit {
    NotWaitedFor, // the run ended through a callback or the time limit, or did not start
    Clean,        // exit status 0
    NonZero,      // an exit status other than 0 (exitValue)
    Signalled,    // ended by a signal (exitValue holds its number), whoever sent it
};

struct EncoderRunResult {
    bool started = false;
    EncoderRunEnd end = EncoderRunEnd::NotStarted;
    pid_t processId = -1; // the child's id, for information; it may be gone already
    // Known only after OutputClosed with waitAfterEnd: the runner reaps the child itself then,
    // so the status is never taken by the background reaper.
    ChildExit exit = ChildExit::NotWaitedFor;
    int exitValue = 0;
};

// Starts the program named by `commandLine` and reads its output until the run ends. The
// pipe is closed on every way out, exceptions from the callbacks included.
EncoderRunResult EncoderRunner(std::string_view commandLine, const EncoderRunSettings& settings);

// The file the runner would start for `program` (the first word of a command line): the name
// itself when it holds a "/", else the first executable regular file of that name in `appDir`
// and then along PATH; empty when there is none.
std::string FindProgram(const std::string& program, const std::string& appDir);
