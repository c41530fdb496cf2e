// The open dialog's list of file types, in its classic text form and in Qt's.

#include "analysis/open_dialog_filter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(OpenDialogFilter, TheClassicTextHoldsTheTwentyFourEntriesExactly) {
    const std::string filter = OpenDialogFilter();
    EXPECT_EQ(filter.size(), 1135u);
    EXPECT_EQ(std::count(filter.begin(), filter.end(), '|'), 48);
    EXPECT_EQ(filter.rfind("All Supported Files|*.avi;*.mpeg;*.mpg;", 0), 0u);
    EXPECT_NE(filter.find("*.asx;*.mov; *.qt;*.3gp;"), std::string::npos);
    EXPECT_NE(filter.find("|Monkey Audio Files (*.ape, *.cue)|*.ape;*.cue|"), std::string::npos);
    // The Monkey Audio types are offered on their own only.
    const size_t firstBar = filter.find('|');
    const std::string allPatterns =
        filter.substr(firstBar + 1, filter.find('|', firstBar + 1) - firstBar - 1);
    EXPECT_EQ(allPatterns.find("*.ape"), std::string::npos);
    EXPECT_EQ(allPatterns.find("*.cue"), std::string::npos);
    const std::string last =
        "|Windows Media Files(*.wma, *.wmv, *.asf, *.asx)|*.wma;*.wmv;*.asf;*.asx|";
    EXPECT_EQ(filter.substr(filter.size() - last.size()), last);
}

TEST(OpenDialogFilter, QtFormSplitsTrimsAndAddsUpperCase) {
    const std::vector<OpenDialogFilterEntry>& entries = OpenDialogFilterEntries();
    ASSERT_EQ(entries.size(), 24u);
    EXPECT_EQ(QtFilterEntry(entries[12]),
              "MJpeg Video Files (*.mjpg, *.mjpeg) (*.mjpg *.MJPG *.mjpeg *.MJPEG)");
    EXPECT_EQ(QtFilterEntry(entries[23]), "Windows Media Files(*.wma, *.wmv, *.asf, *.asx) "
                                          "(*.wma *.WMA *.wmv *.WMV *.asf *.ASF *.asx *.ASX)");
    const std::string all = QtFilterEntry(entries[0]);
    EXPECT_EQ(all.rfind("All Supported Files (*.avi *.AVI *.mpeg *.MPEG ", 0), 0u);
    EXPECT_NE(all.find(" *.mov *.MOV *.qt *.QT *.3gp "), std::string::npos);
    EXPECT_EQ(all.find(';'), std::string::npos);
    EXPECT_EQ(all.find("  "), std::string::npos);

    const std::string qtFilter = QtOpenDialogFilter();
    size_t count = 1;
    for (size_t at = qtFilter.find(";;"); at != std::string::npos;
         at = qtFilter.find(";;", at + 2)) {
        ++count;
    }
    EXPECT_EQ(count, 24u);
    EXPECT_EQ(qtFilter.rfind(all + ";;3GPP Files (*.3gp) (*.3gp *.3GP);;", 0), 0u);
}

TEST(OpenDialogFilter, TheReportedEntryIsFoundInEitherForm) {
    const std::vector<OpenDialogFilterEntry>& entries = OpenDialogFilterEntries();
    for (int index = 0; index < 24; ++index) {
        EXPECT_EQ(OpenDialogFilterIndex(entries[index].description), index);
        EXPECT_EQ(OpenDialogFilterIndex(QtFilterEntry(entries[index])), index);
    }
    EXPECT_EQ(OpenDialogFilterIndex(""), 0);
    EXPECT_EQ(OpenDialogFilterIndex("Text Files (*.txt)"), 0);
}

} // namespace

namespace {

// Which files of a dropped folder are taken: those the dialog would list under any entry.
TEST(OpenDialogFilter, ListsFilesByTheirExtensionInAnyCase) {
    const std::vector<std::pair<const char*, bool>> cases{
        {"clip.avi", true}, {"CLIP.AVI", true},   {"song.Mp3", true},
        {"disc.ape", true}, // only under its own entry, not "All Supported Files"
        {"x.mjpeg", true},  // listed after a blank
        {"a.b.qt", true},   {"notes.txt", false}, {"clip.avi.part", false},
        {"avi", false},     {"clip.avi ", false}, {"", false},
    };
    for (const auto& [name, listed] : cases) {
        EXPECT_EQ(OpenDialogListsFile(name), listed) << '"' << name << '"';
    }
}

} // namespace
