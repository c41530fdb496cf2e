#include "app/ravelcast_app.h"

#include "app/main_window.h"
#include "power/countdown_dialog.h"
#include "power/shutdown_countdown.h"
#include "settings/options_dialog.h"
#include "settings/settings_file.h"
#include "support/about_dialog.h"

RavelcastApp::RavelcastApp(std::string appDir, PowerOffRequest* powerOff,
                           std::function<void()> endProgram)
    : m_form1(std::make_unique<TForm1>(std::move(appDir))) {
    TForm1& form1 = *m_form1;
    m_formAbout = new TFormAbout(&form1);
    form1.AttachAboutBox(m_formAbout);

    m_form3 = new TForm3(&form1.State(), &form1);
    m_countdown =
        new ShutdownCountdown(&form1, &form1.State(), m_form3, powerOff, std::move(endProgram));

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
}

RavelcastApp::~RavelcastApp() = default;
