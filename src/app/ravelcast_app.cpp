#include "app/ravelcast_app.h"

#include "app/main_window.h"
#include "power/countdown_dialog.h"
#include "power/shutdown_countdown.h"
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
}

RavelcastApp::~RavelcastApp() = default;
