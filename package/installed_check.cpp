// Drives an installed copy of the program through one whole conversion, for
// scripts/package-check. Loaded into the program with LD_PRELOAD, it works the windows by
// their object names, as a user would with the mouse: it opens the help page, adds one file
// through the open dialog, sets the output folder, presses "Go Convert " and answers the
// closing message. The program itself is unchanged and reads no settings of this check.
//
//   RC_CHECK_SOURCE   the file to add
//   RC_CHECK_OUTPUT   the output folder (must exist)
//
// It prints what it saw and ends the program with status 0 when the row reads "Done", the
// help page opened was the one beside the program, and no other message appeared.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kTickMs = 100;
constexpr int kLimitTicks = 600; // one minute // two minutes
constexpr int kProgressColumn = 5;

QString Env(const char* name) {
    return QString::fromLocal8Bit(std::getenv(name));
}

void Say(const QString& line) {
    std::printf("installed-check: %s\n", qPrintable(line));
    std::fflush(stdout);
}

template <typename T> T* Named(const char* name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String(name)) {
            return qobject_cast<T*>(top);
        }
        if (T* child = top->findChild<T*>(QLatin1String(name))) {
            return child;
        }
    }
    return nullptr;
}

template <typename T> T* VisibleTop() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible()) {
            if (T* found = qobject_cast<T*>(top)) {
                return found;
            }
        }
    }
    return nullptr;
}

class InstalledCheck : public QObject {
    Q_OBJECT
public:
    InstalledCheck() {
        // Catches the help page instead of starting a browser.
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OpenedUrl");
        connect(&m_timer, &QTimer::timeout, this, &InstalledCheck::Tick);
        m_timer.start(kTickMs);
    }

public slots:
    void OpenedUrl(const QUrl& url) { m_helpPage = url.toLocalFile(); }

private:
    enum class Stage { Start, AddFile, Analysing, Converting, Finished };

    void Fail(const QString& why) {
        Say(QStringLiteral("FAILED at step %1: ").arg(static_cast<int>(m_stage)) + why);
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible()) {
                Say(QStringLiteral("  open window: %1 \"%2\" \"%3\"")
                        .arg(QLatin1String(top->metaObject()->className()), top->objectName(),
                             top->windowTitle()));
            }
        }
        m_timer.stop();
        QCoreApplication::exit(1);
    }

    // Modal dialogs run their own event loop; they are opened from a posted call, so this
    // timer keeps ticking inside them.
    static void ClickLater(QAbstractButton* button) {
        QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
    }

    void Tick() {
        if (++m_ticks > kLimitTicks) {
            Fail(QStringLiteral("no result within a minute"));
            return;
        }
        if (auto* box = VisibleTop<QMessageBox>()) {
            const QString text = box->text();
            Say(QStringLiteral("message: ") + text);
            box->buttons().first()->click();
            if (m_stage == Stage::Converting &&
                text == QLatin1String("All Conversion Jobs Done!")) {
                m_stage = Stage::Finished;
            } else {
                Fail(QStringLiteral("unexpected message"));
            }
            return;
        }
        switch (m_stage) {
        case Stage::Start:
            Start();
            break;
        case Stage::AddFile:
            AddFile();
            break;
        case Stage::Analysing:
            Analysing();
            break;
        case Stage::Converting:
            break;
        case Stage::Finished:
            Finish();
            break;
        }
    }

    void Start() {
        auto* form = Named<QWidget>("Form1");
        if (form == nullptr || !form->isVisible()) {
            return;
        }
        const QString programDir =
            QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
        Say(QStringLiteral("program: ") + QCoreApplication::applicationFilePath());
        Named<QWidget>("Form1")->findChild<QAction*>(QStringLiteral("OpenHelpFile1"))->trigger();
        const QString expectedHelp = QDir(programDir).filePath(QStringLiteral("help.html"));
        Say(QStringLiteral("help page: ") + m_helpPage);
        if (m_helpPage != expectedHelp || !QFileInfo::exists(m_helpPage)) {
            Fail(QStringLiteral("the help page is not ") + expectedHelp);
            return;
        }
        Named<QLineEdit>("Edit1")->setText(Env("RC_CHECK_OUTPUT"));
        ClickLater(Named<QAbstractButton>("AddFileButton"));
        m_stage = Stage::AddFile;
    }

    void AddFile() {
        auto* dialog = VisibleTop<QFileDialog>();
        if (dialog == nullptr) {
            if (m_dialogSeen) {
                m_stage = Stage::Analysing;
            }
            return;
        }
        // The dialog leaves a name typed in its focused name field alone, and it lists a
        // folder in the background, during which accepting may do nothing: take the focus away,
        // choose, and do it again on every tick until the dialog closes.
        m_dialogSeen = true;
        if (QWidget* focused = dialog->focusWidget()) {
            focused->clearFocus();
        }
        dialog->selectFile(Env("RC_CHECK_SOURCE"));
        static_cast<QDialog*>(dialog)->accept();
    }

    void Analysing() {
        auto* list = Named<QTableWidget>("ListView1");
        auto* convert = Named<QAbstractButton>("ConvertNowButton");
        if (list->rowCount() == 0 || QApplication::activeModalWidget() != nullptr ||
            !convert->isEnabled()) {
            return;
        }
        Say(QStringLiteral("added: ") + Row(list));
        ClickLater(convert);
        m_stage = Stage::Converting;
    }

    void Finish() {
        auto* list = Named<QTableWidget>("ListView1");
        const QString row = Row(list);
        Say(QStringLiteral("converted: ") + row);
        m_timer.stop();
        const QTableWidgetItem* progress = list->item(0, kProgressColumn);
        QCoreApplication::exit(progress != nullptr && progress->text() == "Done" ? 0 : 1);
    }

    static QString Row(const QTableWidget* list) {
        QStringList cells;
        for (int column = 0; column < list->columnCount(); ++column) {
            const QTableWidgetItem* item = list->item(0, column);
            cells << (item != nullptr ? item->text() : QString());
        }
        return cells.join(QStringLiteral(" | "));
    }

    QTimer m_timer;
    Stage m_stage = Stage::Start;
    int m_ticks = 0;
    bool m_dialogSeen = false;
    QString m_helpPage;
};

void StartInstalledCheck() {
    // Lives as long as the program; the program ends through this check.
    new InstalledCheck;
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartInstalledCheck)

#include "installed_check.moc"
