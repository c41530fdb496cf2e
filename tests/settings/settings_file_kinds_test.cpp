// Settings files as people really have them: written by other editors, linked in from a
// dotfile folder, set up read-only by an administrator, or broken. Each is loaded at start-up
// and saved on close; the save either lands where the user expects or leaves the file alone.
//
// Folder and file permissions do not bind root, so as root the table runs again in a child
// that has become the unprivileged user "nobody"; the permission cases only count there.

#include "settings/settings_file.h"
#include "settings_harness.h"

#include <QCheckBox>
#include <QSpinBox>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <iostream>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotSwitchUser = 77;
constexpr int kCannotExec = 78;

const std::string kBom = "\xEF\xBB\xBF";

// What a save from the start-up state with the output folder "/saved" writes into an empty
// file.
const std::string kSavedKeys = "[General]\n"
                               "OutputDir=/saved\n"
                               "[CheckBoxes]\n"
                               "OverwriteExistingFile=0\n"
                               "ShutDown=0\n"
                               "[Combo]\n"
                               "OutputFormat=0\n"
                               "LetterBox=1\n"
                               "ComboDropItem=30\n";

struct Layout {
    std::string folder; // the settings folder
    std::string file;   // the settings file's path in it
    std::string other;  // a folder beside it, as a dotfile folder would be
};

struct FileCase {
    const char* name;
    bool permissionsMatter; // only shown by a user that permissions bind
    std::function<void(const Layout&)> prepare;
    std::string loadedDir; // the output folder after start-up
    bool saved;            // whether the next start sees "/saved"
    std::function<void(const Layout&)> expectOnDisk;
};

// Runs this test again in a child that is the user "nobody". The child's own results are
// printed with the test's; the answer is its exit status, or nothing with the reason when
// the child could not become that user.
std::optional<int> RunAsUnprivilegedUser(std::string& whyNot) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<char*> argv{const_cast<char*>(self.c_str()), const_cast<char*>(filter.c_str()),
                            nullptr};
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        whyNot = "fork failed";
        return std::nullopt;
    }
    if (child == 0) {
        // Only system calls between fork and exec: the test process has other threads.
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0) {
            ::_exit(kCannotSwitchUser);
        }
        ::execv(argv[0], argv.data());
        ::_exit(kCannotExec);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status)) {
        return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
    switch (WEXITSTATUS(status)) {
    case kCannotSwitchUser:
        whyNot = "cannot switch to the user nobody (uid 65534) here";
        return std::nullopt;
    case kCannotExec:
        whyNot = "the user nobody cannot run " + self;
        return std::nullopt;
    default:
        return WEXITSTATUS(status);
    }
}

TEST_F(SettingsTest, SettingsFilesAsPeopleHaveThem) {
    const std::string garbage("\x7f"
                              "ELF\x02\x01\0\0[x\r\n=\xff\n",
                              14);
    const std::string old = "; mine\n[General]\nOutputDir=/old\n";
    const FileCase cases[] = {
        {"no file yet: folder and file are made", false, [](const Layout&) {}, "", true,
         [](const Layout& l) { EXPECT_EQ(ReadWholeFile(l.file), kSavedKeys); }},
        {"a file another editor began with a byte-order mark", false,
         [](const Layout& l) { WriteWholeFile(l.file, kBom + "[General]\nOutputDir=/old\n"); },
         "/old", true,
         [](const Layout& l) {
             // One [General] section, the mark kept in front.
             EXPECT_EQ(ReadWholeFile(l.file), kBom + kSavedKeys);
         }},
        {"a link to a file that does not exist yet", false,
         [](const Layout& l) {
             fs::create_directory_symlink("../dotfiles", l.folder + "/linked");
             fs::create_symlink("linked/ravelcast.ini", l.file);
         },
         "", true,
         [](const Layout& l) {
             std::error_code notALink;
             EXPECT_EQ(fs::read_symlink(l.file, notALink), "linked/ravelcast.ini");
             EXPECT_EQ(ReadWholeFile(l.other + "/ravelcast.ini"), kSavedKeys);
         }},
        {"a link to an existing file", false,
         [&](const Layout& l) {
             WriteWholeFile(l.other + "/ravelcast.ini", old);
             fs::create_symlink(l.other + "/ravelcast.ini", l.file);
         },
         "/old", true,
         [](const Layout& l) {
             EXPECT_TRUE(fs::is_symlink(l.file));
             EXPECT_EQ(ReadWholeFile(l.other + "/ravelcast.ini").substr(0, 7), "; mine\n");
         }},
        {"a writable file in a folder this user may not write", true,
         [&](const Layout& l) {
             WriteWholeFile(l.file, old);
             fs::permissions(l.folder, fs::perms(0555));
         },
         "/old", true,
         [](const Layout& l) {
             EXPECT_EQ(ReadWholeFile(l.file).substr(0, 7), "; mine\n");
             // Nothing was left beside it.
             EXPECT_EQ(std::distance(fs::directory_iterator(l.folder), fs::directory_iterator()),
                       1);
         }},
        {"garbage is kept and the keys are added", false,
         [&](const Layout& l) { WriteWholeFile(l.file, garbage); }, "", true,
         [&](const Layout& l) {
             EXPECT_EQ(ReadWholeFile(l.file).substr(0, garbage.size()), garbage);
         }},
        {"a read-only file is left alone", true,
         [&](const Layout& l) {
             WriteWholeFile(l.file, old);
             fs::permissions(l.file, fs::perms(0444));
         },
         "/old", false, [&](const Layout& l) { EXPECT_EQ(ReadWholeFile(l.file), old); }},
        {"a folder in the file's place", false,
         [](const Layout& l) { fs::create_directory(l.file); }, "", false,
         [](const Layout& l) { EXPECT_TRUE(fs::is_directory(l.file)); }},
        {"a named pipe in the file's place", false,
         [](const Layout& l) { ASSERT_EQ(::mkfifo(l.file.c_str(), 0600), 0); }, "", false,
         [](const Layout& l) { EXPECT_TRUE(fs::is_fifo(l.file)); }},
    };

    const bool privileged = ::geteuid() == 0;
    std::string whyNot;
    if (privileged) {
        const std::optional<int> childStatus = RunAsUnprivilegedUser(whyNot);
        if (childStatus) {
            EXPECT_EQ(*childStatus, 0) << "the run as the user nobody failed";
        }
    }
    const Layout layout{ConfigHome() + "/Kestrel/Ravelcast", SettingsPath(),
                        ConfigHome() + "/Kestrel/dotfiles"};
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (privileged && c.permissionsMatter) {
            if (!whyNot.empty()) {
                std::cout << "[  SKIPPED ] " << c.name << ": " << whyNot << "\n";
            }
            continue;
        }
        if (fs::exists(layout.folder)) {
            fs::permissions(layout.folder, fs::perms(0755));
        }
        fs::remove_all(ConfigHome() + "/Kestrel");
        fs::create_directories(layout.folder);
        fs::create_directories(layout.other);
        c.prepare(layout);
        {
            MainWindowStub main;
            TForm4& options = main.CreateOptions();
            EXPECT_EQ(main.Edit1->text().toStdString(), c.loadedDir);
            // The start-up state apart from the output folder, so that the saved keys are known.
            options.CheckBoxOverWrite->setChecked(false);
            options.CheckBoxShutDown->setChecked(false);
            main.ComboOutputFormat->setCurrentIndex(0);
            main.ComboLetterBox->setCurrentIndex(1);
            options.SpinEdit1->setValue(30);
            main.Edit1->setText(QStringLiteral("/saved"));
            SaveSettings(main.Controls(), options);
        }
        c.expectOnDisk(layout);
        MainWindowStub next;
        next.CreateOptions();
        EXPECT_EQ(next.Edit1->text().toStdString(), c.saved ? "/saved" : c.loadedDir);
        EXPECT_TRUE(m_questions.empty());
        fs::permissions(layout.folder, fs::perms(0755));
    }
}

} // namespace
