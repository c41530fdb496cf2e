// Whole runs with the real encoder on real media made at test time with the ffmpeg CLI: the
// program as a user sees it, from "Go Convert " to files that ffprobe, a reader we did not
// write, accepts.

#include "engine_harness.h"

#include "engine/job_loop.h"
#include "jobs/job_list.h"
#include "power/countdown_dialog.h"
#include "power/shutdown_countdown.h"
#include "tools/test_folder.h"
#include "transcoder/media_tools.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;

const std::string kEncoder = std::string(RC_APPDIR) + "zorir3e.exe";
const std::string kIpod = "iPod (*.mp4)";

struct Source {
    fs::path path;
    std::string videoSize; // the row's Video Size column; empty for sound only
};

// Short, small clips in the containers people bring, made once for the whole program, known
// by their extension. Two of them share the base name "clip".
class Media {
public:
    Media() {
        m_folder = std::make_unique<TempFolder>("engine-media");
        const fs::path root = m_folder->path();
        fs::create_directories(root / "a");
        fs::create_directories(root / "b");
        const std::vector<std::string> picture = {"-f", "lavfi", "-i",
                                                  "testsrc=size=160x120:rate=25"};
        const std::vector<std::string> sound = {"-f", "lavfi", "-i",
                                                "sine=frequency=440:sample_rate=44100"};
        const auto make = [&](const std::string& key, const fs::path& file, bool withPicture,
                              const std::vector<std::string>& codecs) {
            std::vector<std::string> args;
            if (withPicture) {
                args.insert(args.end(), picture.begin(), picture.end());
            }
            args.insert(args.end(), sound.begin(), sound.end());
            args.insert(args.end(), {"-t", "1"});
            args.insert(args.end(), codecs.begin(), codecs.end());
            args.push_back(file.string());
            MakeMedia(args);
            m_sources[key] = Source{file, withPicture ? "160 x 120" : ""};
        };
        make("avi", root / "a" / "clip.avi", true, {"-c:v", "mpeg4", "-c:a", "libmp3lame"});
        make("wmv", root / "b" / "clip.wmv", true, {"-c:v", "wmv2", "-c:a", "wmav2"});
        make("mpg", root / "talk.mpg", true, {"-c:v", "mpeg1video", "-c:a", "mp2"});
        make("mov", root / "scene.mov", true, {"-c:v", "mpeg4", "-c:a", "aac"});
        make("mp4", root / "phone.mp4", true,
             {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac"});
        make("flv", root / "cartoon.flv", true,
             {"-c:v", "flv1", "-c:a", "libmp3lame", "-ar", "44100"});
        make("mp3", root / "song.mp3", false, {"-c:a", "libmp3lame"});
        make("wav", root / "sound.wav", false, {"-c:a", "pcm_s16le"});
    }

    const Source& Get(const std::string& name) const { return m_sources.at(name); }
    std::vector<Source> All() const {
        std::vector<Source> all;
        for (const auto& [name, source] : m_sources) {
            all.push_back(source);
        }
        return all;
    }

private:
    std::unique_ptr<TempFolder> m_folder;
    std::map<std::string, Source> m_sources;
};

const Media& SharedMedia() {
    static const Media media;
    return media;
}

// Records the command line of every encoder process that shows up while it runs. A run on a
// damaged file lives for a good part of a second, far longer than the look-up interval.
class EncoderWatcher {
public:
    EncoderWatcher() : m_thread([this] { Watch(); }) {}
    ~EncoderWatcher() {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::vector<std::string>> CommandLines() {
        std::lock_guard lock(m_mutex);
        return m_commandLines;
    }

private:
    void Watch() {
        std::set<int> seen;
        while (!m_stop) {
            for (const int pid : ProcessesRunning(kEncoder)) {
                if (seen.count(pid) != 0) {
                    continue;
                }
                std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
                std::vector<std::string> args;
                std::string arg;
                while (std::getline(file, arg, '\0')) {
                    args.push_back(arg);
                }
                if (!args.empty()) {
                    seen.insert(pid);
                    std::lock_guard lock(m_mutex);
                    m_commandLines.push_back(args);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::vector<std::string>> m_commandLines;
    std::thread m_thread;
};

class EngineMediaTest : public ::testing::Test {
protected:
    EngineMediaTest() : m_harness(RC_APPDIR) {
        m_out = m_folder.Path() / "out";
        fs::create_directories(m_out);
        m_harness.SetOutputFolder(m_out.string());
    }
    ~EngineMediaTest() override { EXPECT_TRUE(NothingLeftRunning(kEncoder)); }

    void AddRow(const Source& source) { m_harness.AddRow(source.path.string(), source.videoSize); }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : m_harness.messages) {
            texts.push_back(m.text.toStdString());
        }
        return texts;
    }

    TestFolder m_folder;
    fs::path m_out;
    EngineHarness m_harness;
};

// An output ffprobe reads, of about the source's length, with sound and (where both the
// profile and the source have one) a picture.
void ExpectValidOutput(const fs::path& file, bool withPicture, const std::string& formatName) {
    SCOPED_TRACE(file.string());
    const ProbeInfo info = Probe(file);
    ASSERT_TRUE(info.ok) << "ffprobe cannot read it";
    EXPECT_NE(info.format.at("format_name").find(formatName), std::string::npos)
        << info.format.at("format_name");
    EXPECT_NE(info.Stream("audio"), nullptr);
    EXPECT_EQ(info.Stream("video") != nullptr, withPicture);
    EXPECT_NEAR(info.Duration(), 1.0, 0.3);
}

TEST_F(EngineMediaTest, BatchOfSourceFormatsConvertsWithSeveralProfiles) {
    const Media& media = SharedMedia();
    struct Batch {
        std::string format;
        std::string extension;
        std::string formatName; // as ffprobe names the container
        bool video;
        std::vector<std::string> sources;
    };
    const std::vector<Batch> batches = {
        {kIpod, ".mp4", "mp4", true, {"avi", "wmv", "mpg", "mov", "mp4", "flv", "mp3", "wav"}},
        {"3GP - 3rd Generation Partnership Project (*.3gp)", ".3gp", "3gp", true, {"mpg", "flv"}},
        {"MOV - QuickTime Video (*.mov)", ".mov", "mov", true, {"mp4", "wmv"}},
        {"M4A - Mpeg4 Audio File (*.m4a)", ".m4a", "m4a", false, {"mov", "mp3"}},
        {"MP3 - Mpeg Layer3 Audio (*.mp3)", ".mp3", "mp3", false, {"avi", "wav"}},
        {"WAV - Waveform Audio (*.wav)", ".wav", "wav", false, {"mp4", "mp3"}},
    };
    for (const Batch& batch : batches) {
        SCOPED_TRACE(batch.format);
        m_harness.Form().ClearAllButtonClick();
        m_harness.messages.clear();
        fs::remove_all(m_out);
        fs::create_directories(m_out);
        m_harness.SelectFormat(batch.format);
        for (const std::string& name : batch.sources) {
            AddRow(media.Get(name));
        }
        ASSERT_TRUE(m_harness.ConvertAndWait(std::chrono::seconds(180)));
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{kAllDoneText});

        // Two sources called "clip" in one run: the second does not replace the first.
        std::set<std::string> taken;
        for (std::size_t row = 0; row < batch.sources.size(); ++row) {
            const Source& source = media.Get(batch.sources[row]);
            EXPECT_EQ(m_harness.Cell(row, kJobProgress), "Done") << source.path;
            std::string base = source.path.stem().string();
            std::string name = base + batch.extension;
            for (int n = 1; taken.count(name) != 0; ++n) {
                name = base + "-" + std::to_string(n) + batch.extension;
            }
            taken.insert(name);
            ExpectValidOutput(m_out / name, batch.video && !source.videoSize.empty(),
                              batch.formatName);
        }
        std::vector<std::string> expected(taken.begin(), taken.end());
        EXPECT_EQ(FolderListing(m_out), expected);
    }
}

TEST_F(EngineMediaTest, DamagedQuickTimeSourceIsRetriedAsQuickTime) {
    // A QuickTime file cut off after its first few kilobytes: unreadable by either route.
    const fs::path damaged = m_folder.Path() / "broken.mov";
    {
        std::ifstream in(SharedMedia().Get("mov").path, std::ios::binary);
        std::string bytes(4096, '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::ofstream(damaged, std::ios::binary) << bytes;
    }
    m_harness.AddRow(damaged.string(), "160 x 120");
    EncoderWatcher watcher;
    ASSERT_TRUE(m_harness.ConvertAndWait());
    const auto commandLines = watcher.CommandLines();
    EXPECT_EQ(m_harness.ProgressHistory(0),
              (std::vector<std::string>{"Failed", "Re-scan", "Failed"}));
    ASSERT_EQ(commandLines.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(commandLines[0].begin() + 3, commandLines[0].begin() + 5),
              (std::vector<std::string>{"-i", damaged.string()}));
    EXPECT_EQ(std::vector<std::string>(commandLines[1].begin() + 3, commandLines[1].begin() + 7),
              (std::vector<std::string>{"-f", "qt", "-i", damaged.string()}));
    EXPECT_EQ(FolderListing(m_out), std::vector<std::string>{});
}

TEST_F(EngineMediaTest, EncoderKilledByItsProcessIdNeverLeavesATruncatedFileDone) {
    // Long enough that the encoder is caught at work.
    const fs::path source = m_folder.Path() / "long.avi";
    MakeMedia({"-f", "lavfi", "-i", "testsrc=size=640x480:rate=25", "-f", "lavfi", "-i",
               "sine=frequency=440:sample_rate=44100", "-t", "40", "-c:v", "mpeg4", "-q:v", "8",
               "-c:a", "libmp3lame", source.string()});
    const double sourceSeconds = Probe(source).Duration();
    m_harness.SelectFormat(kIpod);
    m_harness.AddRow(source.string(), "640 x 480");
    const fs::path output = m_out / "long.mp4";
    // Another program ends the first encoder by its id once it has begun writing the file. A
    // watcher of its own, not the row's first percentage: on a busy machine the program may
    // read the first report only after a fast encoder has finished.
    std::atomic<int> kills = 0;
    std::atomic<bool> finished = false;
    std::thread killer([&] {
        while (!finished.load() && kills.load() == 0) {
            std::error_code error;
            if (fs::file_size(output, error) > 0 && !error) {
                for (const int pid : ProcessesRunning(kEncoder)) {
                    if (::kill(pid, SIGKILL) == 0) {
                        ++kills;
                    }
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const bool converted = m_harness.ConvertAndWait(std::chrono::seconds(300));
    finished = true;
    killer.join();
    ASSERT_TRUE(converted);
    ASSERT_EQ(kills, 1) << "the encoder was not caught at work";
    const auto& history = m_harness.ProgressHistory(0);
    EXPECT_NE(std::find(history.begin(), history.end(), "Re-scan"), history.end())
        << ::testing::PrintToString(history);
    const std::string verdict = m_harness.Cell(0, kJobProgress);
    if (verdict == "Done") {
        const ProbeInfo info = Probe(output);
        ASSERT_TRUE(info.ok) << "ffprobe cannot read it";
        EXPECT_NEAR(info.Duration(), sourceSeconds, 0.5);
        EXPECT_NE(info.Stream("video"), nullptr);
        EXPECT_NE(info.Stream("audio"), nullptr);
    } else {
        EXPECT_EQ(verdict, "Failed");
    }
}

TEST_F(EngineMediaTest, SkippedRowsAndTheHandOverToTheCountdown) {
    const Media& media = SharedMedia();
    // Row 1's source is gone by the time the run starts; row 2 is unchecked while row 0 runs.
    const fs::path doomed = m_folder.Path() / "doomed.avi";
    fs::copy_file(media.Get("avi").path, doomed);
    AddRow(media.Get("mpg"));
    m_harness.AddRow(doomed.string(), "160 x 120");
    AddRow(media.Get("flv"));
    AddRow(media.Get("wav"));
    fs::remove(doomed);
    m_harness.OnProgressChange([this](int row, const std::string& text) {
        if (row == 0 && text.ends_with("%")) {
            SetJobChecked(m_harness.Form().ListView1, 2, false);
        }
    });
    m_harness.ShutDownBox()->setChecked(true);

    ASSERT_TRUE(m_harness.ConvertAndWait());
    EXPECT_EQ(m_harness.Cell(0, kJobProgress), "Done");
    EXPECT_EQ(m_harness.Cell(1, kJobProgress), "");
    EXPECT_EQ(m_harness.Cell(2, kJobProgress), "");
    EXPECT_EQ(m_harness.Cell(3, kJobProgress), "Done");
    EXPECT_EQ(FolderListing(m_out), (std::vector<std::string>{"sound.mp4", "talk.mp4"}));

    // No message: the countdown says it all.
    EXPECT_TRUE(m_harness.messages.empty()) << ::testing::PrintToString(MessageTexts());
    EXPECT_TRUE(m_harness.State().ShutdownPending.load());
    QCoreApplication::processEvents();
    ShutdownCountdown& countdown = m_harness.App().Countdown();
    EXPECT_TRUE(countdown.TimerShutdown2()->isActive());
    EXPECT_TRUE(m_harness.App().Form3().isVisible());
    // Declined at once: nothing is ever asked of the (recording) power-off.
    countdown.SpeedButton1Click();
    EXPECT_FALSE(m_harness.State().ShutdownPending.load());
    EXPECT_EQ(m_harness.powerOff.requests, 0);
    EXPECT_EQ(m_harness.endProgramCalls, 0);
}

TEST_F(EngineMediaTest, HostileNamesConvertToTheRightOutputAndNothingElse) {
    const fs::path sources = m_folder.Path() / "failed time $(touch pwned) -x";
    const fs::path out = m_folder.Path() / "out failed \"time\" $(touch pwned2)";
    fs::create_directories(sources);
    fs::create_directories(out);
    m_harness.SetOutputFolder(out.string());
    const std::vector<std::string> names = {
        "two  blanks.avi",       "quote\"d.avi",       "$(touch pwned).avi", "-leading dash.avi",
        "Ünïcødé ñåmé ölçü.avi", "Christmas time.avi", "failed.avi",         "`id` & ; |.avi",
    };
    for (const std::string& name : names) {
        fs::copy_file(SharedMedia().Get("avi").path, sources / name);
        m_harness.AddRow((sources / name).string(), "160 x 120");
    }
    const auto sourcesBefore = FolderListing(sources);
    const auto workingFolderBefore = FolderListing(fs::current_path());
    const auto tempBefore = FolderListing(m_folder.Path());

    ASSERT_TRUE(m_harness.ConvertAndWait(std::chrono::seconds(180)));
    std::vector<std::string> expected;
    for (std::size_t row = 0; row < names.size(); ++row) {
        EXPECT_EQ(m_harness.Cell(row, kJobProgress), "Done") << names[row];
        const std::string output = fs::path(names[row]).stem().string() + ".mp4";
        expected.push_back(output);
        ExpectValidOutput(out / output, true, "mp4");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderListing(out), expected);
    EXPECT_EQ(FolderListing(sources), sourcesBefore);
    EXPECT_EQ(FolderListing(fs::current_path()), workingFolderBefore);
    // Outside the output folder nothing appeared either.
    auto tempAfter = FolderListing(m_folder.Path());
    std::erase_if(tempAfter, [&](const std::string& entry) {
        return entry.starts_with(out.filename().string() + "/");
    });
    EXPECT_EQ(tempAfter, tempBefore);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
