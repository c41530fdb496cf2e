// The format change and the option panels, driven the way a user drives them: picking an entry
// in the real output format selector of the real main window (offscreen).

#include "app/main_window.h"
#include "jobs/job_list.h"
#include "profiles/option_panels.h"
#include "profiles/profile_catalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Entries = std::vector<std::string>;

// The lists as the user sees them, written out here independently of the program's tables.
const Entries kPlayerVideoCodecs{"MPEG4", "XVid", "H264"};
const Entries kMobileVideoCodecs{"MPEG4", "H263", "XVID"};
const Entries kMobileVideoSizes{"128 x 96 (SQCIF)", "160 x 120 (QVGA)", "176 x 144 (QCIF)",
                                "208 x 176",        "220 x 176",        "320 x 240 (VGA)",
                                "352 x 288 (CIF)"};
const Entries kGeneralVideoSizes{
    "Original Video Size", "128 x 96 (SQCIF)", "160 x 120 (QVGA)", "176 x 120", "176 x 144 (QCIF)",
    "192 x 144",           "208 x 176",        "220 x 176",        "240 x 180", "320 x 200",
    "320 x 240 (VGA)",     "352 x 240",        "352 x 288 (CIF)",  "480 x 272", "480 x 360",
    "480 x 480",           "480 x 576",        "624 x 352",        "640 x 352", "640 x 480",
    "704 x 576 (4CIF)",    "720 x 480",        "720 x 576"};
const Entries kPlayerVideoBitrates{"512 Kbps", "1200 Kbps", "1500 Kbps", "2500 Kbps"};
const Entries kHandheldVideoBitrates{"512 Kbps", "800 Kbps", "1200 Kbps", "1500 Kbps", "2500 Kbps"};
const Entries kMobileVideoBitrates{"48 Kbps",  "64 Kbps",  "96 Kbps",
                                   "128 Kbps", "256 Kbps", "512 Kbps"};
const Entries kGeneralVideoBitrates{"192 Kbps",  "200 Kbps",  "216 Kbps", "384 Kbps",
                                    "512 Kbps",  "640 Kbps",  "768 Kbps", "1000 Kbps",
                                    "1200 Kbps", "1500 Kbps", "2500 Kbps"};
const Entries kStandardFrameRates{"Auto",     "14.985 fps", "15.0 fps", "23.975 fps",
                                  "25.0 fps", "29.97 fps",  "30.0 fps"};
const Entries kMobileFrameRates{"Auto", "11 fps", "14.985 fps", "15 fps"};
const Entries kStandardAudioBitrates{"32 Kbps",  "40 Kbps",  "48 Kbps",  "64 Kbps",  "80 Kbps",
                                     "96 Kbps",  "112 Kbps", "128 Kbps", "160 Kbps", "192 Kbps",
                                     "224 Kbps", "256 Kbps", "320 Kbps"};
const Entries kMobileAudioBitrates{"32 Kbps", "48 Kbps"};
const Entries kPlayerSampleRates{"22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz"};
const Entries kStandardSampleRates{"8000 Hz",  "16000 Hz", "22050 Hz", "32000 Hz",
                                   "44100 Hz", "48000 Hz", "54000 Hz", "96000 Hz"};
const Entries kWaveSampleRates{"8000  Hz", "16000 Hz", "22050 Hz", "32000 Hz",
                               "44100 Hz", "48000 Hz", "54000 Hz", "96000 Hz"};
const Entries kMobileSampleRates{"8000  Hz", "16000 Hz"};

struct Selector {
    Entries entries;
    std::string selected;
};
Selector One(const std::string& entry) {
    return {{entry}, entry};
}
const Selector kEmpty{{}, ""};

struct PanelCase {
    const char* profile;
    Selector videoCodec, videoSize, videoBitrate, videoFramerate;
    Selector audioCodec, audioBitrate, samplingRate;
    bool mobile; // selects "Mono" and "LetterBox"
};

const std::vector<PanelCase>& Panels() {
    static const std::vector<PanelCase> cases{
        {"iPod (*.mp4)",
         {kPlayerVideoCodecs, "MPEG4"},
         One("320 x 240"),
         {kPlayerVideoBitrates, "512 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "64 Kbps"},
         {kPlayerSampleRates, "44100 Hz"},
         false},
        {"iPod Extra (640 x 480) (*.mp4)",
         {kPlayerVideoCodecs, "MPEG4"},
         One("640 x 480"),
         {kPlayerVideoBitrates, "1200 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "80 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"iPod Video For TV (*.mp4)",
         {kPlayerVideoCodecs, "MPEG4"},
         One("640 x 480"),
         {kPlayerVideoBitrates, "1200 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "80 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"iPod Touch (*.mp4)",
         One("MPEG4"),
         One("480 x 320"),
         {kHandheldVideoBitrates, "1200 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "80 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"iPhone (*.mp4)",
         One("MPEG4"),
         One("480 x 320"),
         {kHandheldVideoBitrates, "1200 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "80 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"iPod Touch Extra (640 x 480) (*.mp4)",
         One("MPEG4"),
         One("640 x 480"),
         {kHandheldVideoBitrates, "1500 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "80 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"iPod Touch Wide Screen (*.mp4)",
         One("MPEG4"),
         One("720 x 406"),
         {kHandheldVideoBitrates, "1500 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "128 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"iPhone Wide Screen (*.mp4)",
         One("MPEG4"),
         One("720 x 406"),
         {kHandheldVideoBitrates, "1500 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "128 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"iPhone Extra (640 x 480) (*.mp4)",
         One("MPEG4"),
         One("640 x 480"),
         {kHandheldVideoBitrates, "1500 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "128 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"Apple TV (*.mp4)",
         One("MPEG4"),
         One("640 x 480"),
         {kHandheldVideoBitrates, "1500 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac"),
         {kStandardAudioBitrates, "128 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"3GP - 3rd Generation Partnership Project (*.3gp)",
         {kMobileVideoCodecs, "MPEG4"},
         {kMobileVideoSizes, "176 x 144 (QCIF)"},
         {kMobileVideoBitrates, "128 Kbps"},
         {kMobileFrameRates, "Auto"},
         One("amr_nb"),
         {kMobileAudioBitrates, "48 Kbps"},
         {kMobileSampleRates, "8000  Hz"},
         true},
        {"3G2 - 3rd Generation Partnership Project 2 (*.3g2)",
         {kMobileVideoCodecs, "MPEG4"},
         {kMobileVideoSizes, "176 x 144 (QCIF)"},
         {kMobileVideoBitrates, "128 Kbps"},
         {kMobileFrameRates, "Auto"},
         {{"mpeg4aac", "amr_nb"}, "mpeg4aac"},
         {kMobileAudioBitrates, "48 Kbps"},
         {kMobileSampleRates, "8000  Hz"},
         true},
        {"MOV - QuickTime Video (*.mov)",
         One("MPEG4_QT"),
         {kGeneralVideoSizes, "Original Video Size"},
         {kGeneralVideoBitrates, "1200 Kbps"},
         {kStandardFrameRates, "Auto"},
         One("mpeg4aac_qt"),
         {kStandardAudioBitrates, "128 Kbps"},
         {kStandardSampleRates, "48000 Hz"},
         false},
        {"M4A - Mpeg4 Audio File (*.m4a)",
         kEmpty,
         kEmpty,
         kEmpty,
         kEmpty,
         One("mpeg4aac"),
         {kStandardAudioBitrates, "128 Kbps"},
         {kStandardSampleRates, "44100 Hz"},
         false},
        {"MP3 - Mpeg Layer3 Audio (*.mp3)",
         kEmpty,
         kEmpty,
         kEmpty,
         kEmpty,
         One("mp3"),
         {kStandardAudioBitrates, "192 Kbps"},
         {kStandardSampleRates, "48000 Hz"},
         false},
        {"WAV - Waveform Audio (*.wav)",
         kEmpty,
         kEmpty,
         kEmpty,
         kEmpty,
         One("pcm_s16le"),
         {kStandardAudioBitrates, "128 Kbps"},
         {kWaveSampleRates, "44100 Hz"},
         false},
    };
    return cases;
}

Selector Shown(const QComboBox* combo) {
    Selector shown;
    for (int i = 0; i < combo->count(); ++i) {
        shown.entries.push_back(combo->itemText(i).toStdString());
    }
    shown.selected = combo->currentText().toStdString();
    return shown;
}

void ExpectSelector(const QComboBox* combo, const Selector& expected) {
    const Selector shown = Shown(combo);
    EXPECT_EQ(shown.entries, expected.entries) << combo->objectName().toStdString();
    EXPECT_EQ(shown.selected, expected.selected) << combo->objectName().toStdString();
    if (expected.entries.empty()) {
        EXPECT_EQ(combo->currentIndex(), -1) << combo->objectName().toStdString();
    }
}

class FormatChange : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_appDir.isValid());
        m_form = std::make_unique<TForm1>(m_appDir.path().toStdString() + "/");
        m_form->show();
    }

    // What a user's pick does: the entry becomes current, then `activated` fires.
    void Pick(int index) {
        m_form->ComboOutputFormat->setCurrentIndex(index);
        emit m_form->ComboOutputFormat->activated(index);
    }
    void Pick(const std::string& entry) {
        const int index = m_form->ComboOutputFormat->findText(QString::fromStdString(entry));
        ASSERT_GE(index, 0) << entry;
        Pick(index);
    }
    // A user choice in one of the option selectors.
    static void Choose(QComboBox* combo, const char* entry) {
        const int index = combo->findText(QString::fromLatin1(entry));
        ASSERT_GE(index, 0) << entry;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            m_form->AddJobRow(QStringLiteral("/media/clip %1.avi").arg(i),
                              QStringLiteral("320 x 240"), QStringLiteral("25"),
                              QStringLiteral("00:01:00"));
        }
    }
    QString Cell(int row, JobColumn column) const {
        return JobCellText(m_form->ListView1, row, column);
    }

    QTemporaryDir m_appDir;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(FormatChange, EveryProfileInstallsItsPanelWhateverCameBefore) {
    // Predecessors that leave different lists, channels and letterbox choices behind.
    const std::vector<std::string> before{"iPod (*.mp4)",
                                          "3GP - 3rd Generation Partnership Project (*.3gp)",
                                          "WAV - Waveform Audio (*.wav)"};
    for (const std::string& previous : before) {
        for (const PanelCase& panel : Panels()) {
            SCOPED_TRACE(previous + " -> " + panel.profile);
            Pick(previous);
            Choose(m_form->ComboLetterBox, "None");
            Choose(m_form->ComboAudioChannel, "Mono");
            Pick(panel.profile);

            EXPECT_EQ(m_form->ComboOutputFormat->currentText().toStdString(), panel.profile);
            ExpectSelector(m_form->ComboVideoCodec, panel.videoCodec);
            ExpectSelector(m_form->ComboVideoSize, panel.videoSize);
            ExpectSelector(m_form->ComboVideoBitrate, panel.videoBitrate);
            ExpectSelector(m_form->ComboVideoFramerate, panel.videoFramerate);
            ExpectSelector(m_form->ComboAudioCodec, panel.audioCodec);
            ExpectSelector(m_form->ComboAudioBitrate, panel.audioBitrate);
            ExpectSelector(m_form->ComboSamplingRate, panel.samplingRate);
            ExpectSelector(m_form->ComboAudioChannel,
                           {{"Stereo", "Mono"}, panel.mobile ? "Mono" : "Stereo"});
            ExpectSelector(m_form->ComboLetterBox,
                           {{"None", "LetterBox"}, panel.mobile ? "LetterBox" : "None"});
            // Panels never change whether a selector may be used.
            EXPECT_TRUE(m_form->ComboVideoCodec->isEnabled());
            EXPECT_TRUE(m_form->ComboVideoSize->isEnabled());
        }
    }
}

TEST_F(FormatChange, LetterboxFromAMobileProfileSurvivesTheNextProfile) {
    Pick("3GP - 3rd Generation Partnership Project (*.3gp)");
    Pick("MOV - QuickTime Video (*.mov)");
    EXPECT_EQ(m_form->ComboLetterBox->currentText(), "LetterBox");
    EXPECT_EQ(m_form->ComboAudioChannel->currentText(), "Stereo");
}

TEST_F(FormatChange, ResetsChannelsVolumeAndAspectAndSetsTheAspectRule) {
    for (const OutputProfile& profile : ProfileCatalogue) {
        SCOPED_TRACE(std::string(profile.displayName));
        Pick(std::string(profile.displayName));
        Choose(m_form->ComboAudioChannel, "Mono");
        Choose(m_form->ComboAspectRatio, "16:9 (Wide Screen)");
        m_form->TrackBar1->setValue(9);
        ASSERT_EQ(m_form->Values().VolumeLevel, "90");

        Pick(std::string(profile.displayName));
        // The reset comes first; the mobile panels then pick mono themselves.
        const bool mobile = profile.profileCode == 15 || profile.profileCode == 16;
        EXPECT_EQ(m_form->ComboAudioChannel->currentText(), mobile ? "Mono" : "Stereo");
        EXPECT_EQ(m_form->TrackBar1->value(), 5);
        EXPECT_EQ(m_form->Label14->text(), "100%");
        EXPECT_EQ(m_form->Values().VolumeLevel, "50");
        EXPECT_EQ(m_form->ComboAspectRatio->currentText(), "Original ");
        EXPECT_EQ(m_form->ComboAspectRatio->isEnabled(), profile.hasVideo);
    }
}

TEST_F(FormatChange, SeparatorPutsThePreviousProfileBackAndInstallsNothing) {
    AddRows(3);
    Pick("MP3 - Mpeg Layer3 Audio (*.mp3)");
    const int mp3Index = m_form->ComboOutputFormat->currentIndex();
    ASSERT_FALSE(m_form->ComboAspectRatio->isEnabled());
    Choose(m_form->ComboAudioBitrate, "320 Kbps");
    Choose(m_form->ComboSamplingRate, "22050 Hz");
    Choose(m_form->ComboAudioChannel, "Mono");
    m_form->TrackBar1->setValue(2);
    // Marks in the Output column that a rewrite would replace.
    SetJobCellText(m_form->ListView1, 1, kJobOutput, QStringLiteral("OLD"));

    for (int separator : {3, 7, 11}) {
        SCOPED_TRACE(separator);
        Pick(separator);
        EXPECT_EQ(m_form->ComboOutputFormat->currentIndex(), mp3Index);
        EXPECT_EQ(m_form->Values().LastFormatIndex, mp3Index);
        EXPECT_EQ(m_form->ComboAudioChannel->currentText(), "Stereo");
        EXPECT_EQ(m_form->TrackBar1->value(), 5);
        EXPECT_EQ(m_form->Values().VolumeLevel, "50");
        EXPECT_EQ(m_form->ComboAspectRatio->currentText(), "Original ");
        // No profile matched the separator, so the aspect selector is enabled even for MP3.
        EXPECT_TRUE(m_form->ComboAspectRatio->isEnabled());
        EXPECT_EQ(m_form->ComboAudioBitrate->currentText(), "320 Kbps");
        EXPECT_EQ(m_form->ComboSamplingRate->currentText(), "22050 Hz");
        EXPECT_EQ(m_form->ComboVideoCodec->count(), 0);
        EXPECT_EQ(Cell(1, kJobOutput), "OLD");
        EXPECT_EQ(Cell(0, kJobOutput), "MP3");
    }
}

TEST_F(FormatChange, RewritesTheOutputColumnOfEveryRowAndNothingElse) {
    AddRows(4);
    SetJobCellText(m_form->ListView1, 0, kJobProgress, QStringLiteral("Done"));
    SetJobCellText(m_form->ListView1, 1, kJobProgress, QStringLiteral("Failed"));
    SetJobCellText(m_form->ListView1, 2, kJobProgress, QStringLiteral("Aborted"));
    SetJobCellText(m_form->ListView1, 2, kJobFrames, QStringLiteral("1234"));
    SetJobChecked(m_form->ListView1, 3, false);

    const std::vector<std::pair<std::string, QString>> picks{
        {"3G2 - 3rd Generation Partnership Project 2 (*.3g2)", "3G2"},
        {"MOV - QuickTime Video (*.mov)", "MOV"},
        {"WAV - Waveform Audio (*.wav)", "WAV"},
        {"Apple TV (*.mp4)", "MP4"}};
    for (const auto& [profile, extension] : picks) {
        SCOPED_TRACE(profile);
        Pick(profile);
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(Cell(row, kJobOutput), extension) << row;
            EXPECT_EQ(Cell(row, kJobFileName), QStringLiteral("/media/clip %1.avi").arg(row));
            EXPECT_EQ(Cell(row, kJobVideoSize), "320 x 240");
        }
        EXPECT_EQ(Cell(0, kJobProgress), "Done");
        EXPECT_EQ(Cell(1, kJobProgress), "Failed");
        EXPECT_EQ(Cell(2, kJobProgress), "Aborted");
        EXPECT_EQ(Cell(2, kJobFrames), "1234");
        EXPECT_FALSE(IsJobChecked(m_form->ListView1, 3));
        EXPECT_EQ(m_form->Values().LastFormatIndex, m_form->ComboOutputFormat->currentIndex());
    }
}

TEST_F(FormatChange, EmptyListStillGetsThePanel) {
    Pick("MOV - QuickTime Video (*.mov)");
    EXPECT_EQ(m_form->ListView1->rowCount(), 0);
    EXPECT_EQ(m_form->ComboVideoCodec->currentText(), "MPEG4_QT");
}

TEST_F(FormatChange, ProgramSelectionRaisesNoFormatChange) {
    Pick("MP3 - Mpeg Layer3 Audio (*.mp3)");
    // A selection made by the program (as the settings file does) installs nothing until the
    // format change is run.
    m_form->ComboOutputFormat->setCurrentIndex(15);
    EXPECT_EQ(m_form->ComboAudioCodec->currentText(), "mp3");
    m_form->ApplyOutputFormat();
    EXPECT_EQ(m_form->ComboAudioCodec->currentText(), "mpeg4aac_qt");
}

TEST_F(FormatChange, NewDropDownCountReinstallsTheSelectedPanel) {
    Pick("iPod (*.mp4)");
    Choose(m_form->ComboVideoBitrate, "2500 Kbps");
    m_form->Values().FormatDropDownCount = 40;
    m_form->ApplyOutputFormat();
    EXPECT_EQ(m_form->ComboOutputFormat->maxVisibleItems(), 40);
    EXPECT_EQ(m_form->ComboVideoBitrate->currentText(), "512 Kbps");
}

TEST(FormatChangeStartUp, StoredSeparatorIndexFallsBackToTheFirstProfile) {
    QTemporaryDir appDir;
    TForm1 form(appDir.path().toStdString() + "/");
    // As the settings file would restore it: by index, without a change event.
    form.ComboOutputFormat->setCurrentIndex(7);
    form.show();
    EXPECT_EQ(form.ComboOutputFormat->currentText(), "iPod (*.mp4)");
    EXPECT_EQ(form.ComboVideoSize->currentText(), "320 x 240");
}

TEST(FormatChangeStartUp, StoredProfileGetsItsPanelWhenTheWindowIsShown) {
    QTemporaryDir appDir;
    TForm1 form(appDir.path().toStdString() + "/");
    form.ComboOutputFormat->setCurrentIndex(12); // 3GP
    EXPECT_EQ(form.ComboAudioCodec->currentText(), "mpeg4aac");
    form.show();
    EXPECT_EQ(form.ComboAudioCodec->currentText(), "amr_nb");
    EXPECT_EQ(form.Values().LastFormatIndex, 12);
}

// The panel data itself: every profile has one, and every list selects one of its own entries.
TEST(OptionPanels, EveryProfileHasAPanelThatSelectsOwnEntries) {
    for (const OutputProfile& profile : ProfileCatalogue) {
        SCOPED_TRACE(profile.profileCode);
        const std::optional<OptionPanel> panel = OptionPanelForCode(profile.profileCode);
        ASSERT_TRUE(panel.has_value());
        for (const SelectorChange& change : panel->changes) {
            if (change.action == SelectorAction::InstallList) {
                EXPECT_NE(std::find(change.entries.begin(), change.entries.end(), change.selected),
                          change.entries.end())
                    << change.selected;
            }
        }
    }
    EXPECT_FALSE(OptionPanelForCode(1).has_value());
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
