#include "app/ravelcast_app.h"

#include "app/main_window.h"
#include "engine/conversion_engine.h"
#include "power/countdown_dialog.h"
#include "power/shutdown_countdown.h"
#include "support/about_dialog.h"

#include <QLabel>
#include <QToolButton>

EngineControls ConversionControls(TForm1& form1, ShutdownCountdown* countdown) {
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
    c.DisableCombos = [&form1] { form1.DisableCombos(); };
    c.EnableCombos = [&form1] { form1.EnableCombos(); };
    c.SetJobListMenuEnabled = [&form1](bool enabled) { form1.SetJobListMenuEnabled(enabled); };
    c.BrowseForFolder = [&form1] { form1.ButtonBrowseForFolderClick(); };
    c.StartCountdown = [countdown] { countdown->StartCountdown(); };
    return c;
}

RavelcastApp::RavelcastApp(std::string appDir, PowerOffRequest* powerOff,
                           std::function<void()> endProgram)
    : m_form1(std::make_unique<TForm1>(std::move(appDir))) {
    TForm1& form1 = *m_form1;
    m_formAbout = new TFormAbout(&form1);
    form1.AttachAboutBox(m_formAbout);

    m_form3 = new TForm3(&form1.State(), &form1);
    m_countdown =
        new ShutdownCountdown(&form1, &form1.State(), m_form3, powerOff, std::move(endProgram));

    m_engine = std::make_unique<ConversionEngine>(ConversionControls(form1, m_countdown));
    ConversionEngine* engine = m_engine.get();
    form1.SetConvertNowHandler([engine] { engine->ConvertNowButtonClick(); });
    form1.SetStopConvertHandler([engine] { engine->StopConvertButtonClick(); });
}

RavelcastApp::~RavelcastApp() = default;
