// A file name must never change the encoder's arguments: whatever a Linux name holds, the
// command line splits back into the same arguments, with the name as exactly one of them.

#include "command/job_command.h"
#include "encoder/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, WindowsRules) {
    struct Case {
        const char* line;
        Args args;
    };
    const Case cases[] = {
        {R"("a b c" d e)", {"a b c", "d", "e"}},
        {R"("ab\"c" "\\" d)", {"ab\"c", "\\", "d"}},
        {R"(a\\\b d"e f"g h)", {"a\\\\\\b", "de fg", "h"}},
        {R"(a\\\"b c d)", {"a\\\"b", "c", "d"}},
        {R"(a\\\\"b c" d e)", {"a\\\\b c", "d", "e"}},
        {R"("" x)", {"", "x"}},
        {"  \t lead\ttrail \t", {"lead", "trail"}},
        {R"(-i "DS:\\/v/a.avi")", {"-i", "DS:\\\\/v/a.avi"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
    }
}

TEST(EscapeForQuotes, RoundTripsAwkwardTexts) {
    const char* texts[] = {"",           "plain",     "two  blanks ", "\"",
                           "\"\"",       "\\",        "\\\\",         "end\\",
                           "end\\\\",    "a\\\"b",    "a\\\\\"b",     "\\\"",
                           "DS:\\\\\"q", "tab\there", "new\nline",    "$(rm -rf ~) `id`",
                           "-y",         "ünïcödé\\"};
    for (const char* text : texts) {
        EXPECT_EQ(SplitCommandLine("x \"" + EscapeForQuotes(text) + "\" y"), (Args{"x", text, "y"}))
            << text;
    }
    // Texts without quotes and backslashes are left exactly as they are.
    EXPECT_EQ(EscapeForQuotes("/home/u/My Videos/clip (1).avi"), "/home/u/My Videos/clip (1).avi");
    EXPECT_EQ(EscapeForQuotes("C:\\dir\\file"), "C:\\dir\\file");
}

JobSettings Settings(const std::string& appDir) {
    JobSettings s;
    s.outputFormatText = "3G2 - 3rd Generation Partnership Project 2 (*.3g2)";
    s.videoCodecText = "MPEG4";
    s.audioCodecText = "mpeg4aac";
    s.videoSizeText = "176 x 144 (QCIF)";
    s.videoBitrateText = "128 Kbps";
    s.audioBitrateText = "48 Kbps";
    s.frameRateText = "Auto";
    s.sampleRateText = "8000  Hz";
    s.audioChannelIndex = 1;
    s.outputFolder = "/nonexistent-rc/out";
    s.appDir = appDir;
    return s;
}

// Builds the command for `source` and for an ordinary name with the same route, splits both,
// and checks that they differ only in the input and output arguments, which hold exactly the
// source (after the route prefix) and OutputFilePath.
void ExpectOneArgumentEach(const std::string& source, const InputRoute& route,
                           const std::string& appDir = "/opt/kestrel/") {
    SCOPED_TRACE("source \"" + source + "\"");
    const JobSettings settings = Settings(appDir);
    JobRequest request{route, source, "640 x 360", "3g2"};
    JobCommand job;
    BuildJobCommand(settings, request, job);
    JobRequest plainRequest{route, "/media/u/plain.avi", "640 x 360", "3g2"};
    JobCommand plain;
    BuildJobCommand(Settings("/opt/kestrel/"), plainRequest, plain);

    const Args args = SplitCommandLine(job.commandLine);
    Args expected = SplitCommandLine(plain.commandLine);
    const std::string prefix =
        route.directShowInput || route.retryThroughDirectShow ? "DS:\\\\" : "";
    ASSERT_GE(expected.size(), 4u);
    expected.front() = appDir + "zorir3e.exe";
    size_t inputIndex = 0;
    for (size_t i = 0; i + 1 < expected.size(); ++i) {
        if (expected[i] == "-i") {
            inputIndex = i + 1;
            break;
        }
    }
    ASSERT_NE(inputIndex, 0u);
    ASSERT_EQ(expected[inputIndex], prefix + "/media/u/plain.avi");
    expected[inputIndex] = prefix + source;
    expected.back() = job.outputFilePath;
    EXPECT_EQ(args, expected) << job.commandLine;
}

TEST(HostileNames, EachPathStaysOneArgument) {
    const char* sources[] = {
        "/media/u/clip\" -y \"/home/u/.bashrc.avi", // a folder holding quotes
        "/media/u/clip\" -y \"x.avi",               // a file name holding quotes
        "/media/u/clip\\",                          // ends in a backslash
        "/media/u/clip\\\\\\\"\\.avi",              // backslashes before a quote
        "/media/u/$(rm -rf ~) `id`.avi",
        "/media/u/ two  blanks .avi ",
        "-y.avi",
        "\"quoted.avi",   // begins with a quote
        "\\\\\"lead.avi", // begins with backslashes and a quote
        "\"",
        "/media/u/tab\tnew\nline.avi",
    };
    for (const char* source : sources) {
        ExpectOneArgumentEach(source, InputRoute{});
        ExpectOneArgumentEach(source, InputRoute{true, false, false});
        ExpectOneArgumentEach(source, InputRoute{true, false, true});
        ExpectOneArgumentEach(source, InputRoute{false, true, false});
    }
    ExpectOneArgumentEach("/media/u/clip.avi", InputRoute{}, "/opt/we\"ird\\/");
    ExpectOneArgumentEach("/media/u/clip.avi", InputRoute{}, "/opt/ends in\\\\/");
}

TEST(HostileNames, TheQuoteInjectionSplitsAsTheOneNameOnly) {
    JobRequest request{InputRoute{}, "/media/u/clip\" -y \"x.avi", "640 x 360", "3g2"};
    JobCommand job;
    BuildJobCommand(Settings("/opt/kestrel/"), request, job);
    EXPECT_EQ(job.outputFilePath, "/nonexistent-rc/out/clip\" -y \"x.3g2");
    const Args args = SplitCommandLine(job.commandLine);
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(args.back(), "/nonexistent-rc/out/clip\" -y \"x.3g2");
    int yCount = 0;
    for (const std::string& arg : args) {
        yCount += arg == "-y" ? 1 : 0;
    }
    EXPECT_EQ(yCount, 1) << job.commandLine;
}

TEST(HostileNames, OrdinaryNamesKeepTheirTextUnescaped) {
    JobRequest request{InputRoute{true, false, true}, "/media/u/My Clip (1).avi", "640 x 360",
                       "3g2"};
    JobCommand job;
    BuildJobCommand(Settings("/opt/kestrel/"), request, job);
    EXPECT_EQ(job.fragments.ExePrefix, "\"/opt/kestrel/zorir3e.exe\" -@ -y  -i \"DS:\\\\");
    EXPECT_EQ(job.fragments.InputArg, "/media/u/My Clip (1).avi\"");
    EXPECT_EQ(job.fragments.OutputArg, " \"/nonexistent-rc/out/My Clip (1).3g2\"");
}

} // namespace
