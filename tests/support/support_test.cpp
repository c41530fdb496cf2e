// The required-files check, the start-up script, the help page and the About box.

#include "support/about_dialog.h"
#include "support/check_required_files.h"
#include "support/dialog_seam.h"
#include "support/help.h"
#include "support/registration_batch.h"
#include "support/required_files.h"

#include "profiles/profile_catalogue.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

void WriteFile(const std::string& path, const std::string& text, bool executable = false) {
    std::ofstream(path) << text;
    if (executable) {
        chmod(path.c_str(), 0755);
    }
}

// Records what the check does, in the order it does it.
class RequiredFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        DialogSeam::SetMessageAnswerer([this](const MessageRequest& request) {
            m_events.push_back("message");
            m_messages.push_back(request);
            m_messagesOnUiThread =
                m_messagesOnUiThread && QThread::currentThread() == qApp->thread();
            return QMessageBox::Ok;
        });
    }
    void TearDown() override { DialogSeam::ResetAnswerers(); }

    std::string AppDir() const { return m_dir.path().toStdString() + "/"; }

    bool Check(const std::vector<std::string>& missingLibraries) {
        return CheckRequiredFiles(
            AppDir(), nullptr, [this] { m_events.push_back("enable"); },
            [this, missingLibraries](const std::string& soname) {
                m_events.push_back(soname);
                return std::find(missingLibraries.begin(), missingLibraries.end(), soname) ==
                       missingLibraries.end();
            });
    }

    QTemporaryDir m_dir;
    std::vector<std::string> m_events;
    std::vector<MessageRequest> m_messages;
    bool m_messagesOnUiThread = true;
};

TEST_F(RequiredFiles, ChecksInOrderAndReportsTheFirstMissingFileOnce) {
    const std::vector<std::string> libraries = EncoderLibraryNames();
    ASSERT_EQ(libraries.size(), 2u);
    const std::string& codec = libraries[0];
    const std::string& format = libraries[1];
    EXPECT_EQ(codec.rfind("libavcodec.so.", 0), 0u);
    EXPECT_EQ(format.rfind("libavformat.so.", 0), 0u);

    struct Case {
        const char* name;
        bool encoderPresent;
        std::vector<std::string> missing;
        bool answer;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"no encoder: the libraries are not looked at", false, {}, true, {"message", "enable"}},
        {"codec library missing: the format library is not looked at",
         true,
         {codec},
         true,
         {codec, "message", "enable"}},
        {"format library missing", true, {format}, true, {codec, format, "message", "enable"}},
        {"both libraries missing: one message",
         true,
         {codec, format},
         true,
         {codec, "message", "enable"}},
        {"all present: no message, controls enabled all the same",
         true,
         {},
         false,
         {codec, format, "enable"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_events.clear();
        m_messages.clear();
        QFile::remove(m_dir.filePath("zorir3e.exe"));
        if (c.encoderPresent) {
            WriteFile(AppDir() + "zorir3e.exe", "#!/bin/sh\n", true);
        }
        EXPECT_EQ(Check(c.missing), c.answer);
        EXPECT_EQ(m_events, c.events);
        for (const MessageRequest& message : m_messages) {
            EXPECT_EQ(message.caption, "Information");
            EXPECT_EQ(message.text,
                      "A required file is missing!\n\rPlease re-install this software");
            EXPECT_EQ(message.buttons, QMessageBox::Ok);
        }
    }
}

TEST_F(RequiredFiles, AFolderNamedLikeTheEncoderIsNoEncoder) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("zorir3e.exe"));
    EXPECT_TRUE(Check({}));
    EXPECT_EQ(m_events, (std::vector<std::string>{"message", "enable"}));
}

TEST_F(RequiredFiles, FromAWorkerThreadTheMessageAndUnlockRunOnTheUiThread) {
    bool enabledOnUiThread = false;
    bool answer = false;
    bool done = false;
    std::thread worker([&] {
        answer = CheckRequiredFiles(AppDir(), nullptr, [&] {
            enabledOnUiThread = QThread::currentThread() == qApp->thread();
        });
        done = true;
    });
    while (!done) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
    EXPECT_TRUE(answer);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messagesOnUiThread);
    EXPECT_TRUE(enabledOnUiThread);
}

TEST(EncoderLibraries, TheLoaderFindsTheLibrariesThisBuildUses) {
    for (const std::string& soname : EncoderLibraryNames()) {
        EXPECT_TRUE(IsSharedLibraryFindable(soname)) << soname;
    }
    EXPECT_FALSE(IsSharedLibraryFindable("libkestrel-no-such-library.so.1"));
}

bool ProcessExists(pid_t pid) {
    struct stat info {};
    return stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0;
}

TEST(RegistrationBatch, MissingScriptGoesUnnoticed) {
    QTemporaryDir dir;
    EXPECT_FALSE(RunRegistrationBatch(dir.path().toStdString() + "/").has_value());
}

TEST(RegistrationBatch, RunsTheScriptDetachedAndLeavesNoZombie) {
    QTemporaryDir dir;
    const std::string appDir = dir.path().toStdString() + "/";
    const std::string gate = appDir + "gate";
    const std::string marker = appDir + "ran";
    // Not executable: it is run through /bin/sh. It holds on until the test opens the gate (or
    // gives up after ten seconds), so the start demonstrably does not wait for it. Its output
    // goes nowhere.
    WriteFile(appDir + "reg.sh", "echo noise\necho noise >&2\n"
                                 "n=0\nwhile [ ! -e '" +
                                     gate +
                                     "' ] && [ $n -lt 200 ]; do\n"
                                     "  sleep 0.05; n=$((n+1))\ndone\n"
                                     "echo $$ > '" +
                                     marker + "'\n");
    const std::optional<pid_t> pid = RunRegistrationBatch(appDir);
    ASSERT_TRUE(pid.has_value());
    EXPECT_TRUE(ProcessExists(*pid));
    EXPECT_EQ(getsid(*pid), *pid);
    WriteFile(gate, "");

    // Once the script has ended it is reaped: its process entry goes away entirely.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ProcessExists(*pid) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_FALSE(ProcessExists(*pid));
    std::ifstream ran(marker);
    pid_t written = 0;
    ran >> written;
    EXPECT_EQ(written, *pid);
}

TEST(HelpPage, OpensTheProgramsOwnPage) {
    std::vector<QUrl> opened;
    SetExternalUrlOpener([&](const QUrl& url) { opened.push_back(url); });
    ShowHelpContents("/opt/kestrel/");
    SetExternalUrlOpener(nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile("/opt/kestrel/help.html"));
}

// The page the build puts beside the program explains every profile the user can pick.
TEST(HelpPage, CoversEveryProfile) {
    QFile page(QString::fromLatin1(RC_APPDIR) + "help.html");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    for (const OutputProfile& profile : ProfileCatalogue) {
        QString name = QString::fromUtf8(profile.displayName.data(),
                                         static_cast<qsizetype>(profile.displayName.size()));
        EXPECT_TRUE(html.contains(name.toHtmlEscaped())) << name.toStdString();
    }
    for (const char* word : {"Done", "Failed", "Aborted", "Re-scan", "Stop"}) {
        EXPECT_TRUE(html.contains(QString::fromLatin1(word))) << word;
    }
}

TEST(AboutBox, ShowsNameVersionAndLinks) {
    std::vector<QUrl> opened;
    SetExternalUrlOpener([&](const QUrl& url) { opened.push_back(url); });
    TFormAbout about;
    about.show();
    EXPECT_EQ(about.LabelProduct->text(), "Kestrel Ravelcast");
    EXPECT_TRUE(about.LabelVersion->text().startsWith("Version "));
    emit about.LabelWebsite->linkActivated(QString::fromLatin1(kKestrelWebsite));
    emit about.LabelSupport->linkActivated(QString::fromLatin1(kKestrelSupport));
    SetExternalUrlOpener(nullptr);
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl(kKestrelWebsite), QUrl(kKestrelSupport)}));
    for (QLabel* label : about.findChildren<QLabel*>()) {
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
    }
}

} // namespace

TEST(DialogSeam, MessageTextIsShownAsWrittenEvenWhenItLooksLikeMarkup) {
    DialogSeam::ResetAnswerers();
    const QString text = QStringLiteral("The output folder \"/srv/<b>clips</b> &amp; co\"");
    Qt::TextFormat shownFormat = Qt::AutoText;
    QString shownText;
    // The real box is modal: look at it from the event loop it runs, then close it.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownFormat = box->textFormat();
        shownText = box->text();
        box->accept();
    });
    DialogSeam::InformWithIcon(nullptr, text);
    EXPECT_EQ(shownFormat, Qt::PlainText);
    EXPECT_EQ(shownText, text);
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
