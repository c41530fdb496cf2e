// Output naming against a real folder: the base name, the first free number, the overwrite
// option, and the source that must never be its own output.

#include "command/job_command.h"
#include "command/output_naming.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(OutputBaseName, NameAfterTheLastSlashWithoutItsExtension) {
    EXPECT_EQ(OutputBaseName("/home/u/my.clip.avi"), "my.clip");
    EXPECT_EQ(OutputBaseName("/home/u/clip"), "clip");
    EXPECT_EQ(OutputBaseName("/home/u.v/clip"), "clip"); // a dot in a folder is no extension
    EXPECT_EQ(OutputBaseName("clip.avi"), "clip");
    EXPECT_EQ(OutputBaseName("/home/u/clip."), "clip");
    EXPECT_EQ(OutputBaseName("/home/u/ clip .avi"), " clip ");
    // Backslash and colon are ordinary name characters here.
    EXPECT_EQ(OutputBaseName("/in/C:\\Videos\\clip.avi"), "C:\\Videos\\clip");
    EXPECT_EQ(OutputBaseName("/home/u/"), "");
}

class OutputFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "rc-naming-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_out = m_dir + "/out";
        fs::create_directory(m_out);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    void Touch(const std::string& path) { std::ofstream(path) << "data"; }
    std::string Contents(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string m_dir;
    std::string m_out;
};

TEST_F(OutputFolderTest, FirstFreeNumberWhenOverwriteIsOff) {
    const std::string source = m_dir + "/clip.avi";
    EXPECT_EQ(ChooseOutputFilePath(m_out, source, "mp4", false), m_out + "/clip.mp4");
    Touch(m_out + "/clip.mp4");
    EXPECT_EQ(ChooseOutputFilePath(m_out, source, "mp4", false), m_out + "/clip-1.mp4");
    Touch(m_out + "/clip-2.mp4");
    EXPECT_EQ(ChooseOutputFilePath(m_out, source, "mp4", false), m_out + "/clip-1.mp4");
    Touch(m_out + "/clip-1.mp4");
    EXPECT_EQ(ChooseOutputFilePath(m_out, source, "mp4", false), m_out + "/clip-3.mp4");
    // Another extension is another name.
    EXPECT_EQ(ChooseOutputFilePath(m_out, source, "mov", false), m_out + "/clip.mov");
    EXPECT_EQ(UniqueOutputName(m_out, "clip", ".mp4"), m_out + "/clip-3");
    // A folder or a link pointing nowhere occupies the name as well.
    fs::create_directory(m_out + "/clip-3.mp4");
    fs::create_symlink(m_dir + "/gone", m_out + "/clip-4.mp4");
    EXPECT_EQ(ChooseOutputFilePath(m_out, source, "mp4", false), m_out + "/clip-5.mp4");
}

TEST_F(OutputFolderTest, OverwriteKeepsTheNameButNeverTheSource) {
    const std::string source = m_dir + "/clip.avi";
    Touch(m_out + "/clip.mp4");
    EXPECT_EQ(ChooseOutputFilePath(m_out, source, "mp4", true), m_out + "/clip.mp4");

    // An MP4 converted to MP4 in its own folder: same path, then the same file through a
    // symbolic link to the folder, through "..", and through a hard link.
    const std::string own = m_out + "/clip.mp4";
    EXPECT_EQ(ChooseOutputFilePath(m_out, own, "mp4", true), m_out + "/clip-1.mp4");
    fs::create_directory_symlink(m_out, m_dir + "/link");
    EXPECT_EQ(ChooseOutputFilePath(m_out, m_dir + "/link/clip.mp4", "mp4", true),
              m_out + "/clip-1.mp4");
    EXPECT_EQ(ChooseOutputFilePath(m_dir + "/link", own, "mp4", true), m_dir + "/link/clip-1.mp4");
    fs::create_directory(m_dir + "/sub");
    EXPECT_EQ(ChooseOutputFilePath(m_out, m_dir + "/sub/../out/clip.mp4", "mp4", true),
              m_out + "/clip-1.mp4");
    fs::create_hard_link(own, m_dir + "/hard.mp4");
    EXPECT_EQ(ChooseOutputFilePath(m_out, m_dir + "/hard.mp4", "mp4", true), m_out + "/hard.mp4");
    fs::create_hard_link(own, m_dir + "/sub/clip.mp4");
    EXPECT_EQ(ChooseOutputFilePath(m_out, m_dir + "/sub/clip.mp4", "mp4", true),
              m_out + "/clip-1.mp4");
    // With overwrite off the source's name is taken anyway.
    EXPECT_EQ(ChooseOutputFilePath(m_out, own, "mp4", false), m_out + "/clip-1.mp4");
    EXPECT_EQ(Contents(own), "data");
}

TEST_F(OutputFolderTest, BuilderRecordsTheFreeNameAndAddsTheSlash) {
    JobSettings settings;
    settings.outputFormatText = "iPod (*.mp4)";
    settings.videoSizeText = "320 x 240";
    settings.outputFolder = m_out;
    settings.appDir = "/opt/kestrel/";
    JobRequest request;
    request.sourcePath = m_dir + "/my.clip.avi";
    request.rowVideoSize = "640 x 360";
    request.outputExtension = "mp4";

    JobCommand job;
    BuildJobCommand(settings, request, job);
    EXPECT_EQ(job.outputFilePath, m_out + "/my.clip.mp4");
    // The first job of two with the same base name has written its file before the second
    // one is built.
    Touch(job.outputFilePath);
    BuildJobCommand(settings, request, job);
    EXPECT_EQ(job.outputFilePath, m_out + "/my.clip-1.mp4");
    EXPECT_EQ(job.fragments.OutputArg, " \"" + m_out + "/my.clip-1.mp4\"");
    EXPECT_EQ(job.commandLine.substr(job.commandLine.size() - job.fragments.OutputArg.size()),
              job.fragments.OutputArg);
    settings.overwriteExisting = true;
    BuildJobCommand(settings, request, job);
    EXPECT_EQ(job.outputFilePath, m_out + "/my.clip.mp4");
    // The "-y" switch is there whatever the overwrite option says.
    EXPECT_NE(job.commandLine.find(" -@ -y "), std::string::npos);
}

} // namespace
