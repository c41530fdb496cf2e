// The process layer against real child processes: the scripted fake encoder, copies of
// /bin/sleep, real pipes and real files.

#include "encoder/delay.h"
#include "encoder/encoder_runner.h"
#include "encoder/file_size.h"
#include "encoder/output_lines.h"
#include "encoder/process_killer.h"

#include "encoder/command_line.h"
#include "tools/test_folder.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kFakeEncoder = std::string(RC_TEST_TOOLS_DIR) + "fake_encoder";

int OpenDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// True once the process is gone from /proc: exited and collected, not left as a zombie.
bool GoneWithin(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    const fs::path entry = "/proc/" + std::to_string(pid);
    while (Clock::now() < deadline) {
        if (!fs::exists(entry)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string Quoted(const std::string& text) {
    return "\"" + EscapeForQuotes(text) + "\"";
}

class EncoderRunnerTest : public testing::Test {
protected:
    // Runs the fake encoder with `script` and collects every chunk it delivers.
    EncoderRunResult RunScript(const std::string& script, EncoderRunSettings settings = {},
                               const std::string& arguments = "") {
        const std::string scriptPath = m_folder.Write("script.txt", script);
        ::setenv("RC_FAKE_ENCODER_SCRIPT", scriptPath.c_str(), 1);
        if (!settings.consumeChunk) {
            settings.consumeChunk = [this](std::string_view chunk) {
                m_chunks.emplace_back(chunk);
                return RunnerStep::Continue;
            };
        }
        return EncoderRunner(Quoted(kFakeEncoder) + arguments, settings);
    }

    TestFolder m_folder;
    std::vector<std::string> m_chunks;
};

TEST_F(EncoderRunnerTest, MissingProgramDoesNotStartAndLeavesNoDescriptorOpen) {
    const std::string notExecutable = m_folder.Write("plain.txt", "echo never\n");
    const int before = OpenDescriptorCount();
    for (const std::string& commandLine :
         {std::string("\"/nonexistent/zorir3e.exe\" -i x"),
          std::string("rc-no-such-program-anywhere -i x"), Quoted(notExecutable), std::string(),
          std::string("   ")}) {
        bool consumerCalled = false;
        EncoderRunSettings settings;
        settings.appDir = m_folder.Path().string() + "/";
        settings.consumeChunk = [&](std::string_view) {
            consumerCalled = true;
            return RunnerStep::Continue;
        };
        const EncoderRunResult result = EncoderRunner(commandLine, settings);
        EXPECT_FALSE(result.started) << commandLine;
        EXPECT_EQ(result.end, EncoderRunEnd::NotStarted) << commandLine;
        EXPECT_FALSE(consumerCalled) << commandLine;
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(EncoderRunnerTest, BareNameIsLookedUpInAppDirBeforePath) {
    // "echo" exists along PATH; the copy in the program folder must win.
    fs::create_symlink(kFakeEncoder, m_folder.Path() / "echo");
    m_folder.Write("script.txt", "write from the program folder");
    ::setenv("RC_FAKE_ENCODER_SCRIPT", m_folder.File("script.txt").c_str(), 1);
    EncoderRunSettings settings;
    settings.appDir = m_folder.Path().string() + "/";
    std::string output;
    settings.consumeChunk = [&](std::string_view chunk) {
        output += chunk;
        return RunnerStep::Continue;
    };
    EXPECT_TRUE(EncoderRunner("echo hello", settings).started);
    EXPECT_EQ(output, "from the program folder");

    output.clear();
    settings.appDir = "/nonexistent/";
    EXPECT_TRUE(EncoderRunner("echo hello", settings).started);
    EXPECT_EQ(output, "hello\n");
}

TEST_F(EncoderRunnerTest, SilentChildEndsTheRunWhenItExits) {
    const int before = OpenDescriptorCount();
    const EncoderRunResult result = RunScript("sleep 200\n");
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.end, EncoderRunEnd::OutputClosed);
    EXPECT_TRUE(m_chunks.empty());
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_TRUE(GoneWithin(result.processId, std::chrono::seconds(5)));
}

TEST_F(EncoderRunnerTest, WaitAfterEndReturnsOnlyOnceTheChildHasExited) {
    // The child closes its output first and lives on for a while.
    const std::string script = "write bye\nclose-output\nsleep 700\n";
    EncoderRunSettings settings;
    settings.waitAfterEnd = true;
    auto start = Clock::now();
    EncoderRunResult result = RunScript(script, settings);
    EXPECT_EQ(result.end, EncoderRunEnd::OutputClosed);
    EXPECT_GE(MillisecondsSince(start), 650);
    // Already collected by the runner: nothing left to wait for.
    errno = 0;
    EXPECT_EQ(::waitpid(result.processId, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    settings.waitAfterEnd = false;
    start = Clock::now();
    result = RunScript(script, settings);
    EXPECT_EQ(result.end, EncoderRunEnd::OutputClosed);
    EXPECT_LT(MillisecondsSince(start), 650);
    EXPECT_EQ(::kill(result.processId, 0), 0) << "the child should still be running";
    EXPECT_TRUE(GoneWithin(result.processId, std::chrono::seconds(5)))
        << "a child nobody waited for must still be reaped";
}

TEST_F(EncoderRunnerTest, WaitedForChildTellsHowItEnded) {
    struct Case {
        const char* name;
        std::string script;
        bool waitAfterEnd;
        ChildExit exit;
        int exitValue;
    } cases[] = {
        {"exit 0", "write x\nexit 0\n", true, ChildExit::Clean, 0},
        {"exit 3 after its output", "write x\nexit 3\n", true, ChildExit::NonZero, 3},
        {"killed", "write x\nraise 9\n", true, ChildExit::Signalled, SIGKILL},
        {"terminated", "raise 15\n", true, ChildExit::Signalled, SIGTERM},
        // Output closed first, exit status later: still the status of the end.
        {"closes its output, then fails", "close-output\nsleep 300\nexit 4\n", true,
         ChildExit::NonZero, 4},
        {"not waited for", "exit 3\n", false, ChildExit::NotWaitedFor, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EncoderRunSettings settings;
        settings.waitAfterEnd = c.waitAfterEnd;
        const EncoderRunResult result = RunScript(c.script, settings);
        EXPECT_EQ(result.end, EncoderRunEnd::OutputClosed);
        EXPECT_EQ(result.exit, c.exit);
        EXPECT_EQ(result.exitValue, c.exitValue);
        EXPECT_TRUE(GoneWithin(result.processId, std::chrono::seconds(5)));
    }

    // A run ended by its consumer does not wait, so it cannot know.
    EncoderRunSettings settings;
    settings.waitAfterEnd = true;
    settings.consumeChunk = [](std::string_view) { return RunnerStep::EndRun; };
    const EncoderRunResult ended = RunScript("write x\nexit 3\n", settings);
    EXPECT_EQ(ended.end, EncoderRunEnd::EndedByConsumer);
    EXPECT_EQ(ended.exit, ChildExit::NotWaitedFor);
    EXPECT_TRUE(GoneWithin(ended.processId, std::chrono::seconds(5)));
}

TEST_F(EncoderRunnerTest, ChunksAreAtMost255BytesAndEndAtAZeroByte) {
    RunScript("write abc\\0def\\r\\nghi\nsleep 300\nwrite " + std::string(600, 'a') + "\n");
    ASSERT_EQ(m_chunks.size(), 4u);
    EXPECT_EQ(m_chunks[0], "abc");
    EXPECT_EQ(m_chunks[1], std::string(255, 'a'));
    EXPECT_EQ(m_chunks[2], std::string(255, 'a'));
    EXPECT_EQ(m_chunks[3], std::string(90, 'a'));
}

TEST_F(EncoderRunnerTest, EachChunkSplitsIntoLinesAtCrLfOnly) {
    EncoderRunSettings settings;
    settings.pollDelayMs = 10;
    RunScript("write frame= 1\\rframe= 2\\r\\nlone\\nfeed\\r\\n\nsleep 500\nwrite tail\n",
              settings);
    ASSERT_EQ(m_chunks.size(), 2u);
    EXPECT_EQ(SplitChunkIntoLines(m_chunks[0]),
              (std::vector<std::string>{"frame= 1\rframe= 2", "lone\nfeed", ""}));
    EXPECT_EQ(SplitChunkIntoLines(m_chunks[1]), (std::vector<std::string>{"tail"}));
}

TEST_F(EncoderRunnerTest, HostileArgumentsArriveUnchangedWithoutAShell) {
    const std::string marker = m_folder.File("shell-ran");
    const std::vector<std::string> arguments = {
        "plain",
        "with  blanks",
        "quote\"in\"side",
        "\"",
        "$(touch " + marker + ")",
        "`touch " + marker + "`",
        "; touch " + marker,
        "a | b && c > d",
        "trailing\\",
        "two trailing\\\\",
        "back\\slash and \\\" quote",
        "",
        "tab\there",
        "*",
        "DS:\\\\C:\\Clips\\Party.avi",
        "gr\xC3\xBC\xC3\x9F",
    };
    std::string commandLine;
    for (const std::string& argument : arguments) {
        commandLine += " " + Quoted(argument);
    }
    // Unquoted words split at blanks and keep everything else.
    commandLine += " ;semi $HOME";
    const std::string record = m_folder.File("argv.bin");
    const EncoderRunResult result = RunScript("record-argv " + record + "\n", {}, commandLine);
    ASSERT_TRUE(result.started);

    std::ifstream file(record, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    std::vector<std::string> received;
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = bytes.find('\0', start);
        received.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::string> expected = arguments;
    expected.push_back(";semi");
    expected.push_back("$HOME");
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.front(), kFakeEncoder);
    EXPECT_EQ(std::vector<std::string>(received.begin() + 1, received.end()), expected);
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(EncoderRunnerTest, CallbacksAndTheTimeLimitEndTheRunWithoutEndingTheChild) {
    struct Case {
        const char* name;
        EncoderRunSettings settings;
        EncoderRunEnd end;
        size_t chunks;
    };
    EncoderRunSettings byCheck;
    byCheck.beforeRead = [] { return RunnerStep::EndRun; };
    EncoderRunSettings byConsumer;
    byConsumer.consumeChunk = [this](std::string_view chunk) {
        m_chunks.emplace_back(chunk);
        return RunnerStep::EndRun;
    };
    EncoderRunSettings byTime;
    byTime.timeLimitMs = 300;
    const Case cases[] = {
        {"check", byCheck, EncoderRunEnd::EndedByCheck, 0},
        {"consumer", byConsumer, EncoderRunEnd::EndedByConsumer, 1},
        {"time limit", byTime, EncoderRunEnd::TimeLimitReached, 1},
    };
    for (const Case& c : cases) {
        m_chunks.clear();
        const int before = OpenDescriptorCount();
        const EncoderRunResult result = RunScript("write hello\nhang\n", c.settings);
        EXPECT_EQ(result.end, c.end) << c.name;
        EXPECT_EQ(m_chunks.size(), c.chunks) << c.name;
        EXPECT_EQ(OpenDescriptorCount(), before) << c.name;
        // The runner leaves the child alone; once it is ended it must still be collected.
        EXPECT_EQ(::kill(result.processId, SIGKILL), 0) << c.name;
        EXPECT_TRUE(GoneWithin(result.processId, std::chrono::seconds(5))) << c.name;
    }
}

TEST_F(EncoderRunnerTest, RunsOnAWorkerThread) {
    EncoderRunResult result;
    std::thread worker([&] {
        EncoderRunSettings settings;
        settings.pollDelayMs = 50;
        settings.waitAfterEnd = true;
        result = RunScript("write one\\r\\n\nsleep 100\nwrite two\n", settings);
    });
    worker.join();
    EXPECT_EQ(result.end, EncoderRunEnd::OutputClosed);
    EXPECT_EQ(m_chunks, (std::vector<std::string>{"one\r\n", "two"}));
}

TEST_F(EncoderRunnerTest, WaitingForOutputOnTheUiThreadServesEvents) {
    // The child keeps quiet for a while; a timer due meanwhile must fire before the output.
    std::vector<std::string> order;
    QTimer::singleShot(100, [&] { order.push_back("timer"); });
    EncoderRunSettings settings;
    settings.consumeChunk = [&](std::string_view chunk) {
        order.emplace_back(chunk);
        return RunnerStep::Continue;
    };
    RunScript("sleep 600\nwrite late\n", settings);
    EXPECT_EQ(order, (std::vector<std::string>{"timer", "late"}));
}

TEST(Delay, ServesEventsOnTheUiThreadAndSleepsElsewhere) {
    bool fired = false;
    QTimer::singleShot(30, [&] { fired = true; });
    auto start = Clock::now();
    Delay(150);
    EXPECT_GE(MillisecondsSince(start), 150);
    EXPECT_TRUE(fired);

    long long workerMs = 0;
    std::thread worker([&] {
        const auto workerStart = Clock::now();
        Delay(120);
        workerMs = MillisecondsSince(workerStart);
    });
    worker.join();
    EXPECT_GE(workerMs, 120);
}

// Starts `program` with arguments; the caller collects it.
pid_t Start(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    return pid;
}

bool EndedByKill(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// Never the real encoder's name: other programs on this machine may be running it. Names stay
// within the kernel's 15-byte command name.
std::string DummyName(const char* prefix) {
    return prefix + std::to_string(::getpid()) + ".exe";
}

TEST(ProcessKiller, EndsEveryProcessOfTheNameInAnyCase) {
    TestFolder folder;
    const std::string name = DummyName("rck");
    const std::string copy = folder.File(name);
    fs::copy_file("/bin/sleep", copy);
    fs::permissions(copy, fs::perms::owner_all);

    const pid_t first = Start(copy, {"60"});
    const pid_t second = Start(copy, {"60"});
    std::string upper = name;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_TRUE(ProcessKiller(upper));
    EXPECT_TRUE(EndedByKill(first));
    EXPECT_TRUE(EndedByKill(second));
    EXPECT_FALSE(ProcessKiller(name)) << "nothing of that name is left";

    // The whole path names it as well.
    const pid_t third = Start(copy, {"60"});
    EXPECT_TRUE(ProcessKiller(copy));
    EXPECT_TRUE(EndedByKill(third));
}

TEST(ProcessKiller, MatchesTheNameAProgramWasStartedByThroughALink) {
    // How a test program folder offers the fake encoder as the encoder.
    TestFolder folder;
    const std::string name = DummyName("rcl");
    fs::create_symlink("/bin/sleep", folder.Path() / name);
    const pid_t linked = Start(folder.File(name), {"60"});
    EXPECT_TRUE(ProcessKiller(name));
    EXPECT_TRUE(EndedByKill(linked));
}

TEST(ProcessKiller, NeverEndsTheCallingProcess) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    EXPECT_FALSE(ProcessKiller(self));
    EXPECT_FALSE(ProcessKiller(""));
}

TEST(FileSizeText, ReportsSizesAndLeavesMissingFilesAlone) {
    TestFolder folder;
    const std::string empty = folder.Write("empty.mp4", "");
    const std::string sized = folder.Write("clip.mp4", std::string(12345, 'x'));
    folder.Write("a1.mp4", "1");
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {folder.File("missing.mp4"), "kept"},
        {folder.File("missing/below.mp4"), "kept"},
        {empty + "/below.mp4", "kept"},  // a file where a folder should be
        {folder.File("a*.mp4"), "kept"}, // no wildcards on Linux
        {empty, "0"},
        {sized, "12345"},
        {folder.Path().string(), "0"},              // a folder is no output
        {folder.File(std::string(300, 'n')), "nil"} // the lookup itself fails
    };
    for (const auto& c : cases) {
        std::string text = "kept";
        FileSizeText(c.path, text);
        EXPECT_EQ(text, c.expected) << c.path;
    }
}

} // namespace

int main(int argc, char** argv) {
    // Delay and the runner serve events only on the thread that owns the application.
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
