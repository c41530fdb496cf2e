// The add-files command on the whole program offscreen: real media made at test time, the real
// encoder for the probes (a scripted stand-in where the real one cannot show a case), and the
// open dialog and folder picker answered through the dialog seam.

#include "analysis/add_files_flow.h"
#include "analysis/analyzing_splash.h"
#include "analysis/job_list_drop.h"
#include "analysis/open_dialog_filter.h"
#include "app/main_window.h"
#include "app/ravelcast_app.h"
#include "jobs/job_list.h"
#include "power/power_off_request.h"
#include "support/check_required_files.h"
#include "support/dialog_seam.h"
#include "support/window_font.h"

#include "tools/test_folder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class NoPowerOff : public PowerOffRequest {
public:
    bool ShutDownPC() override { return false; }
};

// Whether a live child of this test named "zorir3e.exe" exists; zombies waiting for their
// reaper do not count, nor do encoders of other programs on the machine. Read from /proc
// rather than through the killer, which would end what it finds.
bool EncoderAlive() {
    const std::string self = std::to_string(::getpid());
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream statFile(entry.path() / "stat");
        std::string stat;
        std::getline(statFile, stat);
        const size_t open = stat.find('(');
        const size_t close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) {
            continue;
        }
        std::istringstream rest(stat.substr(close + 1));
        std::string state;
        std::string parent;
        rest >> state >> parent;
        if (stat.substr(open + 1, close - open - 1) == "zorir3e.exe" && parent == self &&
            state != "Z" && state != "X") {
            return true;
        }
    }
    return false;
}

// A killed process needs a moment to become a zombie.
bool NoEncoderLeft() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (!EncoderAlive()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Row {
    QString path, size, rate, duration, output;
    bool checked = false;
};

// Media shared by the whole suite, made once.
class Media {
public:
    static Media& Get() {
        static Media media;
        return media;
    }
    std::string Clip() { return Make("clip.avi", ClipArguments()); }
    std::string Tone() {
        return Make("tone.mp3",
                    "-f lavfi -i sine=frequency=440:duration=5 -c:a libmp3lame -b:a 32k");
    }
    std::string Small() {
        return Make("small.avi", "-f lavfi -i color=c=gray:size=64x48:rate=10 -t 1 -c:v mjpeg");
    }
    std::string Junk() { return m_folder.Write("notes.avi", "this is no video at all\n"); }
    // tone1.mp3 to tone10.mp3: ten files that each need the encoder's probe.
    std::vector<std::string> TenTones() {
        std::vector<std::string> files;
        for (int number = 1; number <= 10; ++number) {
            const std::string copy = m_folder.File("tone" + std::to_string(number) + ".mp3");
            fs::copy_file(Tone(), copy, fs::copy_options::overwrite_existing);
            files.push_back(copy);
        }
        return files;
    }
    const TestFolder& Folder() const { return m_folder; }

private:
    // A still picture repeated by stream copy: 83 seconds of 640 x 480 at 25 fps without
    // encoding a single frame more than once.
    std::string ClipArguments() {
        const std::string frame = Make("frame.jpg", "-f lavfi -i color=c=gray:size=640x480 "
                                                    "-frames:v 1 -q:v 31");
        return "-framerate 25 -loop 1 -i '" + frame + "' -t 83 -c:v copy";
    }
    std::string Make(const std::string& name, const std::string& arguments) {
        const std::string path = m_folder.File(name);
        if (!fs::exists(path)) {
            const std::string command =
                "ffmpeg -nostdin -loglevel error -y " + arguments + " '" + path + "'";
            EXPECT_EQ(std::system(command.c_str()), 0) << command;
        }
        return path;
    }
    TestFolder m_folder;
};

class AddFilesTest : public testing::Test {
protected:
    explicit AddFilesTest(std::string appDir = RC_APPDIR)
        : m_app(std::move(appDir), &m_powerOff, [] {}) {
        m_app.Form1().show();
        DialogSeam::SetOpenFilesAnswerer([this](const OpenFilesRequest& request) {
            m_requests.push_back(request);
            OpenFilesAnswer answer{m_files, request.selectedFilter};
            if (!m_answerFilter.isEmpty()) {
                answer.selectedFilter = m_answerFilter;
            }
            return answer;
        });
        DialogSeam::SetMessageAnswerer([this](const MessageRequest& request) {
            m_messages.push_back(request.text);
            return QMessageBox::Ok;
        });
    }
    ~AddFilesTest() override { DialogSeam::ResetAnswerers(); }

    TForm1& Form1() { return m_app.Form1(); }
    TFormAnalyzingSplash& Splash() { return m_app.FormAnalyzingSplash(); }
    QTableWidget* List() { return m_app.Form1().ListView1; }

    // Chooses `files` in the open dialog and runs the whole analysis.
    void Add(const std::vector<std::string>& files) {
        m_files.clear();
        for (const std::string& file : files) {
            m_files.push_back(QString::fromStdString(file));
        }
        Form1().AddFileButton->click();
    }

    std::vector<Row> Rows() {
        std::vector<Row> rows;
        for (int row = 0; row < List()->rowCount(); ++row) {
            rows.push_back(
                {JobCellText(List(), row, kJobFileName), JobCellText(List(), row, kJobVideoSize),
                 JobCellText(List(), row, kJobFrameRate), JobCellText(List(), row, kJobDuration),
                 JobCellText(List(), row, kJobOutput), IsJobChecked(List(), row)});
        }
        return rows;
    }

    // Everything the closing steps put back.
    void ExpectIdleAgain() {
        EXPECT_FALSE(Splash().isVisible());
        EXPECT_FALSE(Form1().Values().AnalysisRunning);
        EXPECT_FALSE(Form1().Values().AnalysisDialogShown);
        EXPECT_TRUE(Form1().AddFileButton->isEnabled());
        EXPECT_TRUE(Form1().ConvertNowButton->isEnabled());
        EXPECT_TRUE(Form1().ComboOutputFormat->isEnabled());
        EXPECT_TRUE(Form1().AddFiles1->isEnabled());
    }

    std::string FirstProbeLine() {
        const std::vector<std::string>& lines = m_app.AddFiles().Probe().Log().Lines();
        return lines.empty() ? std::string() : lines.front();
    }

    // Runs `action` once the analysis has reached the file named `name`.
    void WhenAnalysing(const QString& name, std::function<void()> action) {
        auto* timer = new QTimer(&Form1());
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, name, action] {
            if (Splash().isVisible() && Splash().Panel1->text() == name) {
                timer->stop();
                action();
                timer->deleteLater();
            }
        });
        timer->start(5);
    }

    // Drags `urls` over the job list and drops them, as a file manager does; tells whether the
    // list took the drag and the drop. The files are analysed once events run again.
    std::pair<bool, bool> DragAndDrop(const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at = List()->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &drop);
        return {enter.isAccepted(), drop.isAccepted() && drop.dropAction() == Qt::CopyAction};
    }

    // Serves events until an analysis that a drop started has left `rows` rows in the list.
    // The whole analysis usually runs inside one round of events, started by a queued call.
    void WaitForDroppedFiles(int rows) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            if (List()->rowCount() >= rows && !Form1().Values().AnalysisDialogShown) {
                return;
            }
        }
        ADD_FAILURE() << "the dropped files were not analysed";
    }

    NoPowerOff m_powerOff;
    RavelcastApp m_app;
    QStringList m_files;
    QString m_answerFilter;
    std::vector<OpenFilesRequest> m_requests;
    std::vector<QString> m_messages;
};

TEST_F(AddFilesTest, VideoAudioAndUnreadableFilesEachGetTheirRow) {
    Media& media = Media::Get();
    Add({media.Clip(), media.Tone(), media.Junk()});

    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    // Read by the media-information read alone.
    EXPECT_EQ(rows[0].path, QString::fromStdString(media.Clip()));
    EXPECT_EQ(rows[0].size, "640 x 480");
    EXPECT_EQ(rows[0].rate, "25");
    EXPECT_EQ(rows[0].duration, "00:01:23");
    // No picture: described by the encoder's probe.
    EXPECT_EQ(rows[1].size, "0 x 0");
    EXPECT_EQ(rows[1].rate, "0");
    EXPECT_EQ(rows[1].duration, "00:00:05");
    // Rejected by both probes: one row all the same.
    EXPECT_EQ(rows[2].path, QString::fromStdString(media.Junk()));
    EXPECT_EQ(rows[2].size, "Unknown");
    EXPECT_EQ(rows[2].rate, "");
    EXPECT_EQ(rows[2].duration, "");
    for (const Row& row : rows) {
        EXPECT_TRUE(row.checked);
        EXPECT_EQ(row.output, "MP4");
    }
    EXPECT_EQ(Splash().Panel1->text(), "notes.avi");
    ExpectIdleAgain();
    EXPECT_TRUE(NoEncoderLeft());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(AddFilesTest, CancelDuringTheThirdOfTenFiles) {
    const std::vector<std::string> files = Media::Get().TenTones();
    bool shownAtCancel = false;
    bool convertLockedAtCancel = false;
    bool combosBackAtCancel = false;
    WhenAnalysing("tone3.mp3", [&] {
        Splash().Button2->click();
        // The controls come back at once; the dialog and the locked buttons stay until the
        // file in hand is done, so no conversion can start in between.
        shownAtCancel = Form1().Values().AnalysisDialogShown;
        convertLockedAtCancel = !Form1().ConvertNowButton->isEnabled();
        combosBackAtCancel = Form1().ComboOutputFormat->isEnabled();
    });
    Add(files);

    EXPECT_TRUE(shownAtCancel);
    EXPECT_TRUE(convertLockedAtCancel);
    EXPECT_TRUE(combosBackAtCancel);
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    for (size_t index = 0; index < rows.size(); ++index) {
        EXPECT_EQ(rows[index].path, QString::fromStdString(files[index]));
        EXPECT_EQ(rows[index].duration, "00:00:05");
    }
    EXPECT_EQ(Splash().Panel1->text(), "tone4.mp3");
    // The last probe was the third file's.
    EXPECT_EQ(FirstProbeLine(), "Input #0, mp3, from '" + files[2] + "':");
    ExpectIdleAgain();
    EXPECT_TRUE(NoEncoderLeft());
}

// Closing the main window is the other way out of an analysis. The program is in its event
// loop as main() runs it; the close comes while the third file's probe has its encoder running.
TEST_F(AddFilesTest, ClosingTheMainWindowDuringTheAnalysisEndsItAndTheProgram) {
    const std::vector<std::string> files = Media::Get().TenTones();
    const TestFolder home;
    const std::string settingsFile = home.File("Kestrel/Ravelcast/ravelcast.ini");
    struct RestoreConfigHome {
        const char* saved = std::getenv("XDG_CONFIG_HOME");
        std::string value = saved ? saved : "";
        ~RestoreConfigHome() {
            saved ? ::setenv("XDG_CONFIG_HOME", value.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
        }
    } restore;
    ::setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);

    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> closedAt;
    int rowsAtClose = -1;
    QString fileAtClose;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (List()->rowCount() < 2 || !EncoderAlive()) {
            return;
        }
        closer.stop();
        rowsAtClose = List()->rowCount();
        fileAtClose = Splash().Panel1->text();
        closedAt = Clock::now();
        EXPECT_TRUE(Form1().close());
    });
    closer.start(5);
    // Without the mend the remaining files take well over this.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
    QTimer::singleShot(0, [&] { Add(files); });
    EXPECT_EQ(QApplication::exec(), 0);
    const auto left = Clock::now();

    ASSERT_TRUE(closedAt.has_value());
    std::cout << "closed while analysing " << fileAtClose.toStdString() << "; left the event loop "
              << std::chrono::duration_cast<std::chrono::milliseconds>(left - *closedAt).count()
              << " ms later\n";
    // The rows added before the close stay; the file in hand and the rest get none.
    EXPECT_EQ(List()->rowCount(), rowsAtClose);
    EXPECT_LT(rowsAtClose, 10);
    for (int row = 0; row < List()->rowCount(); ++row) {
        EXPECT_EQ(JobCellText(List(), row, kJobFileName), QString::fromStdString(files[row]));
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    }
    EXPECT_TRUE(NoEncoderLeft());
    EXPECT_NE(ReadWholeFile(settingsFile).find("[General]\nOutputDir=\n"), std::string::npos);
    EXPECT_FALSE(Form1().Values().AnalysisRunning);
    EXPECT_FALSE(Form1().Values().AnalysisDialogShown);
}

TEST_F(AddFilesTest, RowsRemovedDuringAProbeDoNotLoseTheNewRow) {
    for (int row = 0; row < 60; ++row) {
        Form1().AddJobRow(QStringLiteral("/old/%1.avi").arg(row), "320 x 240", "25", "00:00:10");
    }
    List()->scrollToTop();
    const std::string tone = Media::Get().Tone();
    int removed = 0;
    // Half a second in, the probe waits for the encoder's first report.
    QTimer::singleShot(500, &Form1(), [&] {
        ASSERT_TRUE(Splash().isVisible());
        for (; removed < 10; ++removed) {
            List()->selectRow(0);
            Form1().RemoveSelectedItem1->trigger();
        }
    });
    Add({tone});

    EXPECT_EQ(removed, 10);
    ASSERT_EQ(List()->rowCount(), 51);
    const int last = List()->rowCount() - 1;
    EXPECT_EQ(JobCellText(List(), 0, kJobFileName), "/old/10.avi");
    EXPECT_EQ(JobCellText(List(), last, kJobFileName), QString::fromStdString(tone));
    EXPECT_EQ(JobCellText(List(), last, kJobDuration), "00:00:05");
    EXPECT_EQ(FirstProbeLine(), "Input #0, mp3, from '" + tone + "':");
    const QRect shown = List()->visualRect(List()->model()->index(last, 0));
    EXPECT_TRUE(shown.intersects(List()->viewport()->rect()));
    EXPECT_GT(List()->verticalScrollBar()->value(), 0);
}

TEST_F(AddFilesTest, TheAnalysisDialogRefusesToCloseWhileUp) {
    bool stillShown = false;
    const std::string small = Media::Get().Small();
    WhenAnalysing("small.avi", [&] {
        EXPECT_FALSE(Splash().close());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&Splash(), &escape);
        stillShown = Splash().isVisible();
    });
    Add({small});
    EXPECT_TRUE(stillShown);
    ASSERT_EQ(List()->rowCount(), 1);
    EXPECT_EQ(JobCellText(List(), 0, kJobVideoSize), "64 x 48");
    EXPECT_EQ(JobCellText(List(), 0, kJobFrameRate), "10");
    ExpectIdleAgain();
}

TEST_F(AddFilesTest, DroppedFilesAndFoldersGetTheRowsTheOpenDialogGives) {
    Media& media = Media::Get();
    TestFolder dropped;
    fs::copy_file(media.Tone(), dropped.File("A.MP3"));
    fs::copy_file(media.Small(), dropped.File("b clip.avi"));
    dropped.Write("notes.txt", "not a media file\n");
    fs::create_directory(dropped.File("deeper"));
    fs::copy_file(media.Small(), dropped.File("deeper/c.avi"));
    const auto url = [](const std::string& path) {
        return QUrl::fromLocalFile(QString::fromStdString(path));
    };

    const auto [entered, taken] =
        DragAndDrop({url(media.Clip()), QUrl(QStringLiteral("https://example.org/film.avi")),
                     url(dropped.Path().string()), url(media.Small())});
    EXPECT_TRUE(entered);
    EXPECT_TRUE(taken);
    WaitForDroppedFiles(4);
    ExpectIdleAgain();
    const std::vector<Row> droppedRows = Rows();

    // The same files through the open dialog: the folder's listed files in name order, its
    // subfolder and its text file left out, the web address ignored.
    List()->setRowCount(0);
    Add({media.Clip(), dropped.File("A.MP3"), dropped.File("b clip.avi"), media.Small()});
    const std::vector<Row> chosenRows = Rows();
    ASSERT_EQ(droppedRows.size(), 4u);
    ASSERT_EQ(chosenRows.size(), 4u);
    for (size_t index = 0; index < chosenRows.size(); ++index) {
        const Row& a = droppedRows[index];
        const Row& b = chosenRows[index];
        EXPECT_EQ(std::tie(a.path, a.size, a.rate, a.duration, a.output, a.checked),
                  std::tie(b.path, b.size, b.rate, b.duration, b.output, b.checked))
            << "row " << index << ": " << a.path.toStdString();
    }
    EXPECT_EQ(droppedRows[1].duration, "00:00:05"); // probed by the encoder, as chosen
    EXPECT_TRUE(NoEncoderLeft());
}

TEST_F(AddFilesTest, DropsAreRefusedWhileBusyAndWithoutLocalFiles) {
    const std::string small = Media::Get().Small();
    const QUrl smallUrl = QUrl::fromLocalFile(QString::fromStdString(small));

    // Nothing that names a local file: neither the drag nor the drop is taken.
    const auto [webEntered, webTaken] =
        DragAndDrop({QUrl(QStringLiteral("https://example.org/film.avi")),
                     QUrl(QStringLiteral("ftp://example.org/clip.mp4"))});
    EXPECT_FALSE(webEntered);
    EXPECT_FALSE(webTaken);

    // While files are analysed, like "Add File".
    std::pair<bool, bool> whileAnalysing{true, true};
    WhenAnalysing("tone.mp3", [&] { whileAnalysing = DragAndDrop({smallUrl}); });
    Add({Media::Get().Tone()});
    EXPECT_FALSE(whileAnalysing.first);
    EXPECT_FALSE(whileAnalysing.second);

    QApplication::processEvents();
    ASSERT_EQ(List()->rowCount(), 1);
    EXPECT_EQ(JobCellText(List(), 0, kJobFileName), QString::fromStdString(Media::Get().Tone()));
    ExpectIdleAgain();
}

TEST_F(AddFilesTest, TheOpenDialogOffersTheEntryLastOpenedWith) {
    const std::vector<OpenDialogFilterEntry>& entries = OpenDialogFilterEntries();
    const auto qtEntry = [&](int index) {
        return QString::fromStdString(QtFilterEntry(entries[index]));
    };
    const std::string small = Media::Get().Small();

    m_answerFilter = "MP3 Files (*.mp3)"; // a dialog that hides the patterns reports this
    Add({small});
    Add({}); // cancelled: the entry stays, nothing is added
    m_answerFilter = qtEntry(6);
    Add({small});
    Add({small});

    ASSERT_EQ(m_requests.size(), 4u);
    EXPECT_EQ(m_requests[0].filter, QString::fromStdString(QtOpenDialogFilter()));
    EXPECT_EQ(m_requests[0].selectedFilter, qtEntry(0));
    EXPECT_EQ(m_requests[1].selectedFilter, qtEntry(14));
    EXPECT_EQ(m_requests[2].selectedFilter, qtEntry(14));
    EXPECT_EQ(m_requests[3].selectedFilter, qtEntry(6));
    EXPECT_TRUE(m_requests[0].options.testFlag(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(List()->rowCount(), 3);
    ExpectIdleAgain();
}

TEST_F(AddFilesTest, ACancelledOpenDialogChangesNothing) {
    Add({});
    EXPECT_EQ(List()->rowCount(), 0);
    EXPECT_TRUE(m_messages.empty());
    ExpectIdleAgain();
}

TEST_F(AddFilesTest, TheBrowseButton) {
    QStringList starts;
    QString answer;
    DialogSeam::SetFolderAnswerer([&](const QString& title, const QString& start) {
        EXPECT_EQ(title, "Choose the required output folder below :");
        starts.push_back(start);
        return answer;
    });
    const TestFolder folder;
    const QString chosen = QString::fromStdString(folder.Path().string());
    QToolButton* browse = Form1().ButtonBrowseForFolder;

    answer = chosen;
    browse->click();
    EXPECT_EQ(Form1().Edit1->text(), chosen);
    answer.clear(); // cancelled
    browse->click();
    EXPECT_EQ(Form1().Edit1->text(), chosen);

    // Refused while files are analysed or a run converts.
    Splash().show();
    browse->click();
    Splash().hide();
    Form1().State().Converting = true;
    browse->click();
    Form1().State().Converting = false;

    fs::remove_all(folder.Path());
    browse->click();
    EXPECT_EQ(starts, QStringList({QDir::homePath(), chosen, QDir::homePath()}));
}

TEST_F(AddFilesTest, TheAnalysisDialog) {
    TFormAnalyzingSplash& splash = Splash();
    EXPECT_EQ(splash.objectName(), "FormAnalyzingSplash");
    EXPECT_EQ(splash.windowTitle(), "Analyzing Video Files");
    EXPECT_EQ(splash.size(), QSize(275, 138));
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize());
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(splash.Label1->text(), "Analyzing File.......Please Wait.");
    EXPECT_EQ(splash.Button2->text(), "Cancel");
    EXPECT_EQ(splash.Panel1->objectName(), "Panel1");
    EXPECT_TRUE(splash.Panel1->font().bold());
    // Every text shows whole in the fixed size.
    splash.Panel1->setText(QStringLiteral("a typical clip name 01.avi"));
    for (QWidget* control :
         {static_cast<QWidget*>(splash.Label1), static_cast<QWidget*>(splash.Panel1),
          static_cast<QWidget*>(splash.Button2)}) {
        EXPECT_LE(control->sizeHint().width(), control->width())
            << control->objectName().toStdString();
        EXPECT_LE(control->sizeHint().height(), control->height())
            << control->objectName().toStdString();
        EXPECT_TRUE(splash.rect().contains(control->geometry()))
            << control->objectName().toStdString();
    }
    // A Linux file name may look like markup; it is still shown exactly as it is written.
    for (const QString name : {QStringLiteral("<b>Party</b> &amp; <i>more</i>.avi"),
                               QStringLiteral("tom &lt;3 jerry.mp3")}) {
        splash.Panel1->setText(name);
        QLabel written(&splash);
        written.setTextFormat(Qt::PlainText);
        written.setFont(splash.Panel1->font());
        written.setFrameStyle(splash.Panel1->frameStyle());
        written.setAlignment(splash.Panel1->alignment());
        written.setText(name);
        EXPECT_EQ(splash.Panel1->sizeHint(), written.sizeHint()) << name.toStdString();
    }

    // Closing is refused only while the add-files command keeps it up.
    Form1().Values().AnalysisDialogShown = true;
    splash.ShowOverMainWindow();
    EXPECT_EQ(splash.geometry().center(), Form1().geometry().center());
    EXPECT_FALSE(splash.close());
    Form1().Values().AnalysisDialogShown = false;
    EXPECT_TRUE(splash.close());
}

TEST(OpenDialogInQt, ShowsTheDescriptionsAsWritten) {
    const std::vector<OpenDialogFilterEntry>& entries = OpenDialogFilterEntries();
    QFileDialog dialog;
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(QString::fromStdString(QtOpenDialogFilter()));
    const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 24);
    for (int index = 0; index < types->count(); ++index) {
        EXPECT_EQ(types->itemText(index).toStdString(), entries[index].description);
    }
    // What the dialog reports back leads to the same entry.
    dialog.selectNameFilter(QString::fromStdString(QtFilterEntry(entries[19])));
    EXPECT_EQ(types->currentIndex(), 19);
    EXPECT_EQ(OpenDialogFilterIndex(dialog.selectedNameFilter().toStdString()), 19);
}

// A program folder holding the scripted stand-in as the encoder.
class ScriptedEncoderTest : public AddFilesTest {
protected:
    ScriptedEncoderTest() : AddFilesTest(AppDirWithFakeEncoder()) {}
    ~ScriptedEncoderTest() override { ::unsetenv("RC_FAKE_ENCODER_SCRIPT"); }

    static std::string AppDirWithFakeEncoder() {
        s_appDir = std::make_unique<TestFolder>();
        fs::copy_file(std::string(RC_TEST_TOOLS_DIR) + "fake_encoder",
                      s_appDir->File("zorir3e.exe"));
        return s_appDir->Path().string() + "/";
    }

    void Script(const std::string& lines) {
        ::setenv("RC_FAKE_ENCODER_SCRIPT", s_appDir->Write("script.txt", lines).c_str(), 1);
    }
    std::string ArgvFile() const { return s_appDir->File("argv.bin"); }

    // The arguments the last encoder run received.
    std::vector<std::string> RecordedArguments() const {
        std::ifstream file(ArgvFile(), std::ios::binary);
        std::vector<std::string> arguments;
        std::string argument;
        while (std::getline(file, argument, '\0')) {
            arguments.push_back(argument);
        }
        return arguments;
    }

    static std::unique_ptr<TestFolder> s_appDir;
};

std::unique_ptr<TestFolder> ScriptedEncoderTest::s_appDir;

TEST_F(ScriptedEncoderTest, AHangingProbeEndsAtItsTimeLimit) {
    Script("record-argv " + ArgvFile() + "\nhang\n");
    m_app.AddFiles().SetProbeTimeLimitMs(1000);
    const std::string tone = Media::Get().Tone();
    Add({tone});

    // Both routes timed out: the file is listed as unknown, and nothing is left running.
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].size, "Unknown");
    EXPECT_EQ(rows[0].rate, "");
    EXPECT_EQ(rows[0].duration, "");
    EXPECT_EQ(RecordedArguments(),
              (std::vector<std::string>{"zorir3e.exe", "-@", "-y", "-i", "DS:\\\\" + tone}));
    EXPECT_TRUE(NoEncoderLeft());
    ExpectIdleAgain();
}

TEST_F(ScriptedEncoderTest, AudioCdTracksAreNeverProbed) {
    Script("record-argv " + ArgvFile() + "\n");
    const std::string track = Media::Get().Folder().Write("Track01.CDA", "RIFF CDDAfmt track");
    Add({track});

    EXPECT_FALSE(fs::exists(ArgvFile()));
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].size, "0 x 0");
    EXPECT_EQ(rows[0].rate, "0");
    EXPECT_EQ(rows[0].duration, "");
}

TEST_F(ScriptedEncoderTest, AMissingEncoderStopsBeforeTheOpenDialog) {
    fs::remove(s_appDir->File("zorir3e.exe"));
    Add({Media::Get().Small()});
    EXPECT_EQ(m_messages, std::vector<QString>{QString::fromLatin1(kRequiredFileMissingText)});
    EXPECT_TRUE(m_requests.empty());
    EXPECT_EQ(List()->rowCount(), 0);
    ExpectIdleAgain();
}

TEST_F(ScriptedEncoderTest, AnEncoderThatCannotStartAddsNoRow) {
    // Present for the required-files check, but not a program that can run.
    fs::permissions(s_appDir->File("zorir3e.exe"),
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::remove);
    Add({Media::Get().Tone(), Media::Get().Small()});
    ASSERT_EQ(List()->rowCount(), 1);
    EXPECT_EQ(JobCellText(List(), 0, kJobVideoSize), "64 x 48");
    ExpectIdleAgain();
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setFont(DesignFont());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
