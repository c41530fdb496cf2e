#include "app/ravelcast_app.h"

#include "analysis/add_files_flow.h"
#include "analysis/analyzing_splash.h"
#include "analysis/job_list_drop.h"
#include "app/main_window.h"
#include "desktop/run_desktop_feedback.h"
#include "engine/conversion_engine.h"
#include "power/countdown_dialog.h"
#include "power/shutdown_countdown.h"
#include "settings/options_dialog.h"
#include "settings/settings_file.h"
#include "support/about_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

EngineControls ConversionControls(TForm1& form1, ShutdownCountdown* countdown,
                                  RunDesktopFeedback* desktopFeedback) {
    EngineControls c;
    c.MessageParent = &form1;
    c.ListView1 = form1.ListView1;
    c.ConvertNowButton = form1.ConvertNowButton;
    c.AddFileButton = form1.AddFileButton;
    c.ProgressBar1 = form1.ProgressBar1;
    c.SizePanel = form1.StatusBar1Panels[1];
    c.Edit1 = form1.Edit1;
    c.ComboOutputFormat = form1.ComboOutputFormat;
    c.ComboVideoCodec = form1.ComboVideoCodec;
    c.ComboAudioCodec = form1.ComboAudioCodec;
    c.ComboVideoSize = form1.ComboVideoSize;
    c.ComboVideoBitrate = form1.ComboVideoBitrate;
    c.ComboAudioBitrate = form1.ComboAudioBitrate;
    c.ComboVideoFramerate = form1.ComboVideoFramerate;
    c.ComboSamplingRate = form1.ComboSamplingRate;
    c.ComboAudioChannel = form1.ComboAudioChannel;
    c.ComboAspectRatio = form1.ComboAspectRatio;
    c.ComboLetterBox = form1.ComboLetterBox;
    c.ConversionCountTimer = form1.ConversionCountTimer;
    c.State = &form1.State();
    c.Values = &form1.Values();
    c.DesktopFeedback = desktopFeedback;
    c.DisableCombos = [&form1] { form1.DisableCombos(); };
    c.EnableCombos = [&form1] { form1.EnableCombos(); };
    c.SetJobListMenuEnabled = [&form1](bool enabled) { form1.SetJobListMenuEnabled(enabled); };
    c.BrowseForFolder = [&form1] { form1.ButtonBrowseForFolderClick(); };
    c.StartCountdown = [countdown] { countdown->StartCountdown(); };
    return c;
}

namespace {

std::unique_ptr<AddFilesFlow> MakeAddFilesFlow(TForm1& form1, TFormAnalyzingSplash* splash) {
    AddFilesControls controls;
    controls.MainWindow = &form1;
    controls.Edit1 = form1.Edit1;
    controls.ListView1 = form1.ListView1;
    controls.AddFileButton = form1.AddFileButton;
    controls.ConvertNowButton = form1.ConvertNowButton;
    controls.Values = &form1.Values();
    controls.State = &form1.State();
    controls.DisableCombos = [&form1] { form1.DisableCombos(); };
    controls.EnableCombos = [&form1] { form1.EnableCombos(); };
    controls.AddJobRow = [&form1](const QString& path, const QString& frameSize,
                                  const QString& frameRate, const QString& duration) {
        form1.AddJobRow(path, frameSize, frameRate, duration);
    };
    return std::make_unique<AddFilesFlow>(std::move(controls), splash);
}

} // namespace

RavelcastApp::RavelcastApp(std::string appDir, PowerOffRequest* powerOff,
                           std::function<void()> endProgram, DesktopServices desktop)
    : m_form1(std::make_unique<TForm1>(std::move(appDir))) {
    TForm1& form1 = *m_form1;
    m_formAnalyzingSplash = new TFormAnalyzingSplash(
        &form1.Values(), [&form1] { form1.EnableCombos(); }, &form1);
    m_addFiles = MakeAddFilesFlow(form1, m_formAnalyzingSplash);
    form1.SetAddFileHandler([this] { m_addFiles->AddSourceFiles(); });
    new JobListDropTarget(form1.ListView1, m_addFiles.get());
    form1.SetBrowseForFolderHandler([this] { m_addFiles->ButtonBrowseForFolderClick(); });
    form1.SetEndAnalysisHook([this] { m_addFiles->EndForClose(); });

    m_formAbout = new TFormAbout(&form1);
    form1.AttachAboutBox(m_formAbout);

    m_form3 = new TForm3(&form1.State(), &form1);
    m_countdown =
        new ShutdownCountdown(&form1, &form1.State(), m_form3, powerOff, std::move(endProgram));

    m_desktopFeedback = new RunDesktopFeedback(
        {&form1, form1.ListView1, form1.ProgressBar1, &form1.State()}, desktop, &form1);
    m_engine = std::make_unique<ConversionEngine>(
        ConversionControls(form1, m_countdown, m_desktopFeedback));
    ConversionEngine* engine = m_engine.get();
    form1.SetConvertNowHandler([engine] { engine->ConvertNowButtonClick(); });
    form1.SetStopConvertHandler([engine] { engine->StopConvertButtonClick(); });

    // The options dialog comes last: its creation restores the settings file into controls
    // that must all exist by then. The restored format takes effect when the main window is
    // first shown.
    const SettingsControls settingsControls{form1.Edit1, form1.ComboOutputFormat,
                                            form1.ComboLetterBox};
    m_form4 = new TForm4(&form1, &form1.Values(), settingsControls,
                         [&form1] { form1.ApplyOutputFormat(); });
    form1.AttachOptionsDialog(m_form4, m_form4->CheckBoxOverWrite, m_form4->CheckBoxShutDown);
    form1.SetSaveSettingsHook(
        [settingsControls, form4 = m_form4] { SaveSettings(settingsControls, *form4); });
    m_engine->AttachOptionCheckBoxes(m_form4->CheckBoxOverWrite, m_form4->CheckBoxShutDown);
}

RavelcastApp::~RavelcastApp() = default;
