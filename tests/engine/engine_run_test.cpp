// The conversion run as a user starts it, through the real window, the real job loop and the
// real runner, with the scripted fake encoder as "zorir3e.exe" in a program folder of its own:
// it fails, stalls and writes odd outputs where real media cannot. The script of a retry is
// swapped in at the moment the row shows "Re-scan", while the worker waits for that change.

#include "engine_harness.h"

#include "base/ui_thread.h"
#include "engine/conversion_engine.h"
#include "engine/encoder_job.h"
#include "engine/job_loop.h"
#include "jobs/job_list.h"
#include "tools/test_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// Report pieces as script lines; the encoder's CR LF line ends and lone CRs are escapes.
const std::string kHeader = "write Input #0, avi, from 'in.avi':\\r\\n  Duration: 00:00:02.00, "
                            "start: 0.000000, bitrate: 100 kb/s\\r\\n\n";
const std::string kOutputHeader = "write Output #0, mp4, to 'out.mp4':\\r\\n\n";
const std::string kHalfway =
    "write frame=25 q=2.0 size=10kB time=1.00 bitrate=80.0kbits/s\\r\nsleep 400\n";
const std::string kFinished =
    "write frame=50 q=2.0 size=20kB time=2.00 bitrate=80.0kbits/s\\r\\n\n";
const std::string kWritesOutput = "output-write converted\n";
const std::string kClean = kHeader + kOutputHeader + kWritesOutput + kHalfway + kFinished;
const std::string kCleanButEmpty =
    kHeader + kOutputHeader + "output-empty\n" + kHalfway + kFinished;
const std::string kCleanWithoutOutput = kHeader + kOutputHeader + kHalfway + kFinished;
// After a failure the fake would go on writing; the monitor must end it first.
const std::string kFailureWord = kHeader + kOutputHeader + kWritesOutput + kHalfway +
                                 "write Error while opening file\\r\\n\nsleep 5000\n";
const std::string kUnsupportedCodec =
    kHeader + kWritesOutput + "write Unsupported codec for output stream\\r\\n\nsleep 5000\n";
const std::string kBanner =
    "write zorir3e version 1.0, a converter\\r\\n\n" + kWritesOutput + "sleep 5000\n";
// A full-size file, but the encoder says with its exit status that it is not complete.
const std::string kCleanButExitStatus1 = kClean + "exit 1\n";
// A value the monitor cannot read, after which the encoder goes on and only then writes its
// file: judged at the fault, the job would have no output.
const std::string kUnreadableThenFinished = kHeader + kOutputHeader +
                                            "write frame=10 q=2.0 time=oops x\\r\\n\n" +
                                            "sleep 500\n" + kFinished + kWritesOutput;
const std::string kUnreadableThenExitStatus1 = kUnreadableThenFinished + "exit 1\n";

class EngineRunTest : public ::testing::Test {
protected:
    EngineRunTest() {
        m_appDir = m_folder.Path() / "app";
        m_sources = m_folder.Path() / "sources";
        m_out = m_folder.Path() / "out";
        fs::create_directories(m_appDir);
        fs::create_directories(m_sources);
        fs::create_directories(m_out);
        fs::copy_file(RC_FAKE_ENCODER, EncoderPath());
        m_script = m_folder.File("script.txt");
        ::setenv("RC_FAKE_ENCODER_SCRIPT", m_script.c_str(), 1);
        m_harness = std::make_unique<EngineHarness>(m_appDir.string() + "/");
        m_harness->SetOutputFolder(m_out.string());
        // The retry gets its own script, written while the worker waits for "Re-scan".
        m_harness->OnProgressChange([this](int, const std::string& text) {
            if (text == "Re-scan" && !m_retryScript.empty()) {
                WriteScript(m_retryScript);
            }
        });
    }

    ~EngineRunTest() override {
        m_harness.reset();
        EXPECT_TRUE(NothingLeftRunning(EncoderPath()));
    }

    std::string EncoderPath() const { return (m_appDir / "zorir3e.exe").string(); }

    void WriteScript(const std::string& body) { std::ofstream(m_script) << body; }

    // The first run records its arguments into "argv-first", the retry into "argv-retry".
    void UseScripts(const std::string& first, const std::string& retry) {
        WriteScript("record-argv " + m_folder.File("argv-first") + "\n" + first);
        m_retryScript = "record-argv " + m_folder.File("argv-retry") + "\n" + retry;
    }

    std::vector<std::string> RecordedArguments(const std::string& name) const {
        std::ifstream file(m_folder.File(name), std::ios::binary);
        std::vector<std::string> args;
        std::string arg;
        while (std::getline(file, arg, '\0')) {
            args.push_back(arg);
        }
        return args;
    }

    std::string AddSource(const std::string& name) {
        const std::string path = (m_sources / name).string();
        std::ofstream(path) << "source";
        m_harness->AddRow(path);
        return path;
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : m_harness->messages) {
            texts.push_back(m.text.toStdString());
        }
        return texts;
    }

    EngineHarness& H() { return *m_harness; }

    TestFolder m_folder;
    fs::path m_appDir;
    fs::path m_sources;
    fs::path m_out;
    std::string m_script;
    std::string m_retryScript;
    std::unique_ptr<EngineHarness> m_harness;
};

struct OutcomeCase {
    const char* name;
    const char* source;
    std::string firstScript;
    std::string retryScript;
    bool retryRuns;
    const char* shownBeforeRetry; // the first run's verdict, when a retry follows
    const char* finalProgress;
};

TEST_F(EngineRunTest, OutcomesOfFirstRunsAndRetries) {
    const std::vector<OutcomeCase> cases = {
        {"clean with output", "clip.avi", kClean, kClean, false, nullptr, "Done"},
        {"empty output, then a clean retry", "clip.avi", kCleanButEmpty, kClean, true, "100%",
         "Done"},
        {"empty output twice", "clip.avi", kCleanButEmpty, kCleanButEmpty, true, "100%", "Failed"},
        {"no output file twice", "clip.avi", kCleanWithoutOutput, kCleanWithoutOutput, true,
         "Failed", "Failed"},
        {"failure word, then a clean retry", "clip.avi", kFailureWord, kClean, true, "", "Done"},
        {"failure word twice", "clip.avi", kFailureWord, kFailureWord, true, "", "Failed"},
        // Both runs failed: the row must not be left empty although an output file exists.
        {"Unsupported codec twice", "clip.avi", kUnsupportedCodec, kUnsupportedCodec, true, "",
         "Failed"},
        {"wrong first line, then a clean retry", "clip.avi", kBanner, kClean, true, "", "Done"},
        {"wrong first line twice", "clip.avi", kBanner, kBanner, true, "", "Failed"},
        {"exit status 1 with output, then a clean retry", "clip.avi", kCleanButExitStatus1, kClean,
         true, "", "Done"},
        {"exit status 1 twice", "clip.avi", kCleanButExitStatus1, kCleanButExitStatus1, true, "",
         "Failed"},
        {"unreadable value, the encoder finishes", "clip.avi", kUnreadableThenFinished, kClean,
         false, nullptr, "Done"},
        {"unreadable value, then exit status 1", "clip.avi", kUnreadableThenExitStatus1,
         kUnreadableThenExitStatus1, true, "", "Failed"},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(m_folder.File("argv-first"));
        fs::remove(m_folder.File("argv-retry"));
        H().messages.clear();
        H().Form().ClearAllButtonClick();
        fs::remove_all(m_out);
        fs::create_directories(m_out);
        UseScripts(c.firstScript, c.retryScript);
        const std::string source = AddSource(c.source);

        ASSERT_TRUE(H().ConvertAndWait());
        EXPECT_EQ(H().Cell(0, kJobProgress), c.finalProgress);
        const auto& history = H().ProgressHistory(0);
        const auto rescan = std::find(history.begin(), history.end(), "Re-scan");
        EXPECT_EQ(rescan != history.end(), c.retryRuns) << ::testing::PrintToString(history);
        if (c.retryRuns && rescan != history.end()) {
            const std::string before = rescan == history.begin() ? "" : *(rescan - 1);
            EXPECT_EQ(before, c.shownBeforeRetry) << ::testing::PrintToString(history);
            // Any other source is retried through the second route, the prefix before its path.
            const auto retryArgs = RecordedArguments("argv-retry");
            ASSERT_GE(retryArgs.size(), 5u);
            EXPECT_EQ(retryArgs[4], "DS:\\\\" + source);
        }
        const auto firstArgs = RecordedArguments("argv-first");
        ASSERT_GE(firstArgs.size(), 5u);
        EXPECT_EQ(firstArgs[0], EncoderPath());
        EXPECT_EQ(firstArgs[4], source);
        EXPECT_EQ(firstArgs.back(), (m_out / "clip.mp4").string());
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{kAllDoneText});
        EXPECT_TRUE(NothingLeftRunning(EncoderPath()));
        H().Form().ClearAllButtonClick();
        H().ClearProgressHistory();
    }
}

TEST_F(EngineRunTest, ProgressOfARunningJobReachesTheRowAndStatusBar) {
    UseScripts(kClean, kClean);
    AddSource("clip.avi");
    ASSERT_TRUE(H().ConvertAndWait());
    EXPECT_EQ(H().ProgressHistory(0), (std::vector<std::string>{"50%", "100%", "Done"}));
    EXPECT_EQ(H().Cell(0, kJobFrames), "50");
    EXPECT_EQ(H().Form().StatusBar1Panels[1]->text().toStdString(), "Output File Size : 20 KB");
    EXPECT_EQ(H().Form().ProgressBar1->value(), 0);
    // The window is unlocked again.
    EXPECT_TRUE(H().Form().ConvertNowButton->isEnabled());
    EXPECT_TRUE(H().Form().AddFileButton->isEnabled());
    EXPECT_TRUE(H().Form().JobListMenuEnabled());
    EXPECT_TRUE(H().Form().ComboVideoSize->isEnabled());
    EXPECT_FALSE(H().State().Converting.load());
}

TEST_F(EngineRunTest, RowEndsWithTheEncodersLastReport) {
    // Several reports reach the program at once, each a line of its own. With the header
    // before them they are 289 bytes: the first read of 255 ends inside the last report's
    // "size=12kB". And after an unreadable value the frame counts still follow the encoder.
    const std::string reports = "write frame=10 q=2.0 size=4kB time=0.40 bitrate=80.0kbits/s\\r\\n"
                                "frame=20 q=2.0 size=8kB time=0.80 bitrate=80.0kbits/s\\r\\n"
                                "frame=30 q=2.0 size=12kB time=1.20 bitrate=80.0kbits/s\\r\\n\n";
    struct Case {
        const char* name;
        std::string script;
        const char* frames;
        const char* size;
    } cases[] = {
        {"three reports, the last cut by the read",
         kHeader + kOutputHeader + kWritesOutput + reports, "30", "Output File Size : 12 KB"},
        {"reports after an unreadable value", kUnreadableThenFinished, "50",
         "Output File Size :  KB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        H().Form().ClearAllButtonClick();
        H().Form().StatusBar1Panels[1]->setText("Output File Size :  KB");
        UseScripts(c.script, kClean);
        AddSource("clip.avi");
        ASSERT_TRUE(H().ConvertAndWait());
        EXPECT_EQ(H().Cell(0, kJobProgress), "Done");
        EXPECT_EQ(H().Cell(0, kJobFrames), c.frames);
        EXPECT_EQ(H().Form().StatusBar1Panels[1]->text().toStdString(), c.size);
    }
}

TEST_F(EngineRunTest, EncoderKilledFromOutsideIsRetriedAndNeverDone) {
    // Another program ends the encoder by its process id while it writes: a full-looking file
    // is left, the encoder never said it was complete.
    const std::string longRun =
        kHeader + kOutputHeader + kWritesOutput + kHalfway + "sleep 3000\n" + kFinished;
    struct Case {
        const char* name;
        bool killRetryToo;
        const char* finalProgress;
    } cases[] = {
        {"the retry completes", false, "Done"},
        {"the retry is killed too", true, "Failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        H().Form().ClearAllButtonClick();
        H().ClearProgressHistory();
        UseScripts(longRun, c.killRetryToo ? longRun : kClean);
        AddSource("clip.avi");
        int kills = 0;
        bool retrying = false;
        H().OnProgressChange([&](int, const std::string& text) {
            if (text == "Re-scan") {
                retrying = true;
                WriteScript(m_retryScript);
            } else if (text == "50%" && (!retrying || c.killRetryToo)) {
                for (const int pid : ProcessesRunning(EncoderPath())) {
                    if (::kill(pid, SIGKILL) == 0) {
                        ++kills;
                    }
                }
            }
        });
        ASSERT_TRUE(H().ConvertAndWait());
        EXPECT_EQ(kills, c.killRetryToo ? 2 : 1);
        const auto& history = H().ProgressHistory(0);
        EXPECT_NE(std::find(history.begin(), history.end(), "Re-scan"), history.end())
            << ::testing::PrintToString(history);
        EXPECT_EQ(H().Cell(0, kJobProgress), c.finalProgress);
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{kAllDoneText});
        H().messages.clear();
        H().OnProgressChange(nullptr);
    }
}

TEST_F(EngineRunTest, RoutesOfRealMediaAndQuickTimeSources) {
    // ".mov" is retried as QuickTime on the plain route; RealMedia starts on the second route
    // and is retried plainly.
    UseScripts(kFailureWord, kFailureWord);
    const std::string mov = AddSource("movie.MOV");
    ASSERT_TRUE(H().ConvertAndWait());
    auto first = RecordedArguments("argv-first");
    auto retry = RecordedArguments("argv-retry");
    ASSERT_GE(retry.size(), 7u);
    EXPECT_EQ(first[4], mov);
    EXPECT_EQ(std::vector<std::string>(retry.begin() + 3, retry.begin() + 7),
              (std::vector<std::string>{"-f", "qt", "-i", mov}));

    H().Form().ClearAllButtonClick();
    UseScripts(kFailureWord, kFailureWord);
    const std::string rmvb = AddSource("show.rmvb");
    ASSERT_TRUE(H().ConvertAndWait());
    first = RecordedArguments("argv-first");
    retry = RecordedArguments("argv-retry");
    ASSERT_GE(retry.size(), 5u);
    EXPECT_EQ(first[4], "DS:\\\\" + rmvb);
    EXPECT_EQ(retry[3], "-i");
    EXPECT_EQ(retry[4], rmvb);
}

TEST_F(EngineRunTest, EncoderThatCannotStartFailsWithoutRetry) {
    // There, so the required-files check passes, but not a program.
    ::chmod(EncoderPath().c_str(), 0644);
    AddSource("clip.avi");
    ASSERT_TRUE(H().ConvertAndWait());
    EXPECT_EQ(H().ProgressHistory(0), std::vector<std::string>{"Failed"});
    EXPECT_FALSE(H().Form().ConversionCountTimer->isActive());
}

// Short ticks, so that a stall shows within about a second instead of sixteen. A healthy
// report still brings a new frame count within three of them.
constexpr int kShortTickMs = 150;

TEST_F(EngineRunTest, WatchdogEndsAnEncoderWhoseFrameCountStops) {
    H().Form().ConversionCountTimer->setInterval(kShortTickMs);
    // Output written: the stalled row fails and is not retried.
    UseScripts(kHeader + kOutputHeader + kWritesOutput + kHalfway + "hang\n", kClean);
    AddSource("stuck.avi");
    ASSERT_TRUE(H().ConvertAndWait(std::chrono::seconds(30)));
    EXPECT_EQ(H().Cell(0, kJobProgress), "Failed");
    EXPECT_EQ(std::count(H().ProgressHistory(0).begin(), H().ProgressHistory(0).end(), "Re-scan"),
              0);
    EXPECT_FALSE(H().Form().ConversionCountTimer->isActive());
    EXPECT_FALSE(H().State().Stalled.load());
}

TEST_F(EngineRunTest, WatchdogStallWithEmptyOutputLeadsToRetry) {
    H().Form().ConversionCountTimer->setInterval(kShortTickMs);
    UseScripts(kHeader + kOutputHeader + "output-empty\n" + kHalfway + "hang\n", kClean);
    AddSource("stuck.avi");
    ASSERT_TRUE(H().ConvertAndWait(std::chrono::seconds(30)));
    const auto& history = H().ProgressHistory(0);
    const auto rescan = std::find(history.begin(), history.end(), "Re-scan");
    ASSERT_NE(rescan, history.end()) << ::testing::PrintToString(history);
    EXPECT_EQ(*(rescan - 1), "Failed");
    EXPECT_EQ(H().Cell(0, kJobProgress), "Done");
}

TEST_F(EngineRunTest, WatchdogLeavesAnEncoderWithoutFrameCountsAlone) {
    H().Form().ConversionCountTimer->setInterval(kShortTickMs);
    // An audio-only report: sizes and times for two seconds, never a frame count.
    std::string audioOnly = kHeader + kOutputHeader + kWritesOutput;
    for (int i = 1; i <= 6; ++i) {
        audioOnly += "write size=" + std::to_string(i) + "kB time=0." + std::to_string(i) +
                     "0 bitrate=80.0kbits/s\\r\nsleep 350\n";
    }
    UseScripts(audioOnly, kClean);
    AddSource("song.wav");
    ASSERT_TRUE(H().ConvertAndWait(std::chrono::seconds(30)));
    EXPECT_EQ(H().Cell(0, kJobProgress), "Done");
    EXPECT_EQ(H().Cell(0, kJobFrames), "");
}

TEST_F(EngineRunTest, StopAnsweredWithCancelChangesNothing) {
    UseScripts(kHeader + kOutputHeader + kWritesOutput + kHalfway + "sleep 800\n" + kFinished,
               kClean);
    AddSource("clip.avi");
    H().confirmAnswer = QMessageBox::Cancel;
    H().OnProgressChange([this](int, const std::string& text) {
        if (text == "50%") {
            QTimer::singleShot(0, H().Form().StopConvertButton, &QToolButton::click);
        }
    });
    ASSERT_TRUE(H().ConvertAndWait());
    ASSERT_EQ(H().messages.size(), 2u);
    EXPECT_EQ(H().messages[0].caption.toStdString(), "Confirm");
    EXPECT_EQ(H().messages[0].text.toStdString(), kStopQuestionText);
    EXPECT_EQ(H().messages[0].icon, QMessageBox::Question);
    EXPECT_EQ(H().messages[1].text.toStdString(), kAllDoneText);
    EXPECT_EQ(H().Cell(0, kJobProgress), "Done");
}

TEST_F(EngineRunTest, StopEndsTheRunWithoutMessageOrCountdown) {
    UseScripts(kHeader + kOutputHeader + kWritesOutput + kHalfway + "hang\n", kClean);
    AddSource("first.avi");
    AddSource("second.avi");
    H().ShutDownBox()->setChecked(true);
    H().OnProgressChange([this](int row, const std::string& text) {
        if (row == 0 && text == "50%") {
            QTimer::singleShot(0, H().Form().ButtonStopSmall, &QPushButton::click);
        }
    });
    ASSERT_TRUE(H().ConvertAndWait());
    EXPECT_EQ(H().Cell(0, kJobProgress), "Aborted");
    EXPECT_EQ(H().Cell(1, kJobProgress), "");
    EXPECT_FALSE(fs::exists(m_out / "second.mp4"));
    ASSERT_EQ(MessageTexts(), std::vector<std::string>{kStopQuestionText});
    EXPECT_FALSE(H().State().ShutdownPending.load());
    EXPECT_FALSE(H().State().StopRequested.load());
    EXPECT_EQ(H().Form().ProgressBar1->value(), 0);
    EXPECT_TRUE(H().Form().ConvertNowButton->isEnabled());
    EXPECT_EQ(H().powerOff.requests, 0);
}

TEST_F(EngineRunTest, StopDuringARetry) {
    // With a row after it, and as the last row, where no later check of the row's top can end
    // the run: either way the stop ends it without the closing message.
    for (const bool rowFollows : {true, false}) {
        SCOPED_TRACE(rowFollows ? "a row follows" : "last row");
        H().messages.clear();
        H().Form().ClearAllButtonClick();
        H().ClearProgressHistory();
        UseScripts(kFailureWord, kHeader + kOutputHeader + kWritesOutput + kHalfway + "hang\n");
        AddSource("first.avi");
        if (rowFollows) {
            AddSource("second.avi");
        }
        bool retrying = false;
        H().OnProgressChange([this, &retrying](int row, const std::string& text) {
            if (row != 0) {
                return;
            }
            if (text == "Re-scan") {
                retrying = true;
                WriteScript(m_retryScript);
            } else if (retrying && text == "50%") {
                QTimer::singleShot(0, H().Form().StopConvertButton, &QToolButton::click);
            }
        });
        ASSERT_TRUE(H().ConvertAndWait());
        EXPECT_TRUE(retrying);
        EXPECT_EQ(H().Cell(0, kJobProgress), "Aborted");
        if (rowFollows) {
            EXPECT_EQ(H().Cell(1, kJobProgress), "");
        }
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{kStopQuestionText});
        EXPECT_FALSE(H().State().StopRequested.load());
        // The handler looks at this turn's `retrying`, which ends with the turn.
        H().OnProgressChange(nullptr);
    }
}

TEST_F(EngineRunTest, StopConfirmedAsTheJobStartsAbortsIt) {
    // The Stop lands between the job start's clearing of the abort flag and its look at the
    // stop flag, the moment a Stop used to be undone in. The job must not run to "Done".
    UseScripts(kClean, kClean);
    AddSource("first.avi");
    AddSource("second.avi");
    int probes = 0;
    SetJobStartProbe([&] {
        if (probes++ == 0) {
            RunOnUiThread([this] { H().Form().StopConvertButton->click(); });
        }
    });
    const bool finished = H().ConvertAndWait();
    SetJobStartProbe(nullptr);
    ASSERT_TRUE(finished);
    EXPECT_EQ(probes, 1) << "no second job may start";
    EXPECT_EQ(H().Cell(0, kJobProgress), "Aborted");
    EXPECT_EQ(H().Cell(1, kJobProgress), "");
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kStopQuestionText});
    EXPECT_FALSE(H().State().StopRequested.load());
}

TEST_F(EngineRunTest, StopConfirmedAfterTheRunEndedChangesNothing) {
    // An encoder of someone else's, under the same name, that a late Stop must leave alone.
    const fs::path otherDir = m_folder.Path() / "other";
    fs::create_directories(otherDir);
    fs::copy_file(RC_FAKE_ENCODER, otherDir / "zorir3e.exe");
    const std::string otherScript = m_folder.File("other-script.txt");
    std::ofstream(otherScript) << "hang\n";
    QProcess bystander;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("RC_FAKE_ENCODER_SCRIPT", QString::fromStdString(otherScript));
    bystander.setProcessEnvironment(environment);
    bystander.start(QString::fromStdString((otherDir / "zorir3e.exe").string()), {});
    ASSERT_TRUE(bystander.waitForStarted());

    UseScripts(kClean, kClean);
    AddSource("clip.avi");
    H().OnProgressChange([this](int, const std::string& text) {
        if (text == "50%") {
            QTimer::singleShot(0, H().Form().StopConvertButton, &QToolButton::click);
        }
    });
    // The question stays open until the run is over; then it is answered OK.
    bool ranOut = false;
    H().onMessage = [&](const ShownMessage& message) {
        if (message.caption == "Confirm") {
            ranOut = EngineHarness::WaitUntil(
                [this] { return !H().RunActive() && !H().State().Converting.load(); });
        }
    };
    ASSERT_TRUE(H().ConvertAndWait());
    EXPECT_TRUE(ranOut);
    EXPECT_EQ(H().Cell(0, kJobProgress), "Done");
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{kStopQuestionText, kAllDoneText}));
    EXPECT_FALSE(H().State().StopRequested.load());
    EXPECT_FALSE(H().State().AbortRequested.load());
    EXPECT_EQ(bystander.state(), QProcess::Running);
    bystander.kill();
    bystander.waitForFinished();

    // The next run is not stopped by anything left over.
    H().OnProgressChange(nullptr);
    H().onMessage = nullptr;
    H().messages.clear();
    H().ClearProgressHistory();
    ASSERT_TRUE(H().ConvertAndWait());
    EXPECT_EQ(H().Cell(0, kJobProgress), "Done");
}

TEST_F(EngineRunTest, StopBeforeAnyJobStartedDoesNothing) {
    // Idle: no question.
    H().Form().StopConvertButtonClick();
    EXPECT_TRUE(H().messages.empty());

    // A run that never starts a job: every row unchecked. Stop is pressed while the run shows
    // its message.
    AddSource("clip.avi");
    SetJobChecked(H().Form().ListView1, 0, false);
    H().onMessage = [this](const ShownMessage&) { H().Form().StopConvertButton->click(); };
    ASSERT_TRUE(H().ConvertAndWait());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kNothingCheckedText});
    EXPECT_FALSE(H().State().StopRequested.load());
    EXPECT_FALSE(H().State().AbortRequested.load());
}

TEST_F(EngineRunTest, ListChecksAndTheirMessages) {
    H().ShutDownBox()->setChecked(true);
    ASSERT_TRUE(H().ConvertAndWait());
    ASSERT_EQ(H().messages.size(), 1u);
    EXPECT_EQ(H().messages[0].text.toStdString(), kNoFileText);
    EXPECT_EQ(H().messages[0].caption.toStdString(), "Information");
    EXPECT_EQ(H().messages[0].icon, QMessageBox::NoIcon);
    EXPECT_FALSE(H().State().ShutdownPending.load());

    AddSource("a.avi");
    AddSource("b.avi");
    UncheckAllJobs(H().Form().ListView1);
    H().messages.clear();
    ASSERT_TRUE(H().ConvertAndWait());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kNothingCheckedText});
    EXPECT_FALSE(H().State().ShutdownPending.load());
    EXPECT_TRUE(H().Form().ComboOutputFormat->isEnabled());
}

TEST_F(EngineRunTest, OutputFolderChecksComeFirst) {
    AddSource("clip.avi");
    H().SetOutputFolder("   ");
    H().Form().ConvertNowButton->click();
    EXPECT_FALSE(H().RunActive());
    ASSERT_EQ(H().messages.size(), 1u);
    EXPECT_EQ(H().messages[0].text.toStdString(), kChooseFolderText);
    EXPECT_EQ(H().messages[0].caption.toStdString(), "Information");
    EXPECT_EQ(H().messages[0].icon, QMessageBox::Information);
    EXPECT_EQ(H().browseRequests, 1);

    const std::string gone = (m_folder.Path() / "gone ").string();
    H().SetOutputFolder(gone);
    H().Form().ConvertNowButton->click();
    EXPECT_FALSE(H().RunActive());
    ASSERT_EQ(H().messages.size(), 2u);
    EXPECT_EQ(
        H().messages[1].text.toStdString(),
        "The output folder \"" + gone +
            "\"\n\rdoes not exist or has been deleted!\n\rPlease choose a new output folder.");
    EXPECT_EQ(H().messages[1].icon, QMessageBox::Information);
    EXPECT_EQ(H().browseRequests, 2);
    EXPECT_EQ(H().Cell(0, kJobProgress), "");
}

TEST_F(EngineRunTest, GoConvertWaitsForTheAnalysisAndTheCountdown) {
    AddSource("clip.avi");
    H().Form().Values().AnalysisDialogShown = true;
    H().Form().ConvertNowButtonClick();
    EXPECT_FALSE(H().RunActive());
    H().Form().Values().AnalysisDialogShown = false;
    H().State().ShutdownPending = true;
    H().Form().ConvertNowButtonClick();
    EXPECT_FALSE(H().RunActive());
    H().State().ShutdownPending = false;
    EXPECT_TRUE(H().messages.empty());
}

TEST_F(EngineRunTest, PressingGoConvertTwiceStartsOneRun) {
    UseScripts(kClean, kClean);
    AddSource("clip.avi");
    H().Form().ConvertNowButtonClick();
    H().Form().ConvertNowButtonClick();
    ASSERT_TRUE(H().ConvertAndWait()); // a third press, while the first run is still going
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kAllDoneText});
    EXPECT_EQ(H().ProgressHistory(0), (std::vector<std::string>{"50%", "100%", "Done"}));
}

TEST_F(EngineRunTest, MissingEncoderStopsTheRunBeforeItBegins) {
    fs::remove(EncoderPath());
    AddSource("clip.avi");
    H().ShutDownBox()->setChecked(true);
    ASSERT_TRUE(H().ConvertAndWait());
    ASSERT_EQ(H().messages.size(), 1u);
    EXPECT_EQ(H().messages[0].text.toStdString(),
              "A required file is missing!\n\rPlease re-install this software");
    EXPECT_EQ(H().Cell(0, kJobProgress), "");
    EXPECT_FALSE(H().State().ShutdownPending.load());
    EXPECT_TRUE(H().Form().ComboOutputFormat->isEnabled());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
