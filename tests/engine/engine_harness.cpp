#include "engine_harness.h"

#include "engine/conversion_engine.h"
#include "jobs/job_list.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QThread>
#include <QToolButton>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

EngineHarness::EngineHarness(const std::string& appDir, DesktopServices desktop) {
    m_app = std::make_unique<RavelcastApp>(
        appDir, &powerOff, [this] { ++endProgramCalls; }, desktop);
    TForm1& form = Form();
    form.SetBrowseForFolderHandler([this] { ++browseRequests; });
    // The settings file of an earlier test may have left any choice behind.
    OverwriteBox()->setChecked(false);
    ShutDownBox()->setChecked(false);
    SelectFormat("iPod (*.mp4)");

    DialogSeam::SetMessageAnswerer([this](const MessageRequest& request) {
        ShownMessage shown{request.caption, request.text, request.icon};
        messages.push_back(shown);
        if (onMessage) {
            onMessage(shown);
        }
        return request.buttons.testFlag(QMessageBox::Cancel) ? confirmAnswer : QMessageBox::Ok;
    });
    QObject::connect(form.ListView1, &QTableWidget::itemChanged, [this](QTableWidgetItem* item) {
        if (item->column() != kJobProgress) {
            return;
        }
        const int row = item->row();
        const std::string text = item->text().toStdString();
        if (static_cast<int>(m_progress.size()) <= row) {
            m_progress.resize(row + 1);
        }
        // A new row's empty cell is no step of a run.
        const bool fresh = m_progress[row].empty() && text.empty();
        if (!fresh && (m_progress[row].empty() || m_progress[row].back() != text)) {
            m_progress[row].push_back(text);
        }
        if (m_progressHandler) {
            m_progressHandler(row, text);
        }
    });
}

EngineHarness::~EngineHarness() {
    m_app.reset();
    DialogSeam::ResetAnswerers();
}

QCheckBox* EngineHarness::OverwriteBox() {
    return m_app->Form4().CheckBoxOverWrite;
}

QCheckBox* EngineHarness::ShutDownBox() {
    return m_app->Form4().CheckBoxShutDown;
}

void EngineHarness::SetOutputFolder(const std::string& folder) {
    Form().Edit1->setText(QFile::decodeName(QByteArray::fromStdString(folder)));
}

void EngineHarness::SelectFormat(const std::string& formatText) {
    QComboBox* combo = Form().ComboOutputFormat;
    const int index = combo->findText(QString::fromStdString(formatText));
    ASSERT_GE(index, 0) << formatText;
    combo->setCurrentIndex(index);
    Form().ComboOutputFormatChange();
}

void EngineHarness::AddRow(const std::string& sourcePath, const std::string& videoSize) {
    Form().AddJobRow(QFile::decodeName(QByteArray::fromStdString(sourcePath)),
                     QString::fromStdString(videoSize), QStringLiteral("25"),
                     QStringLiteral("00:00:02"));
}

bool EngineHarness::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done() && Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

bool EngineHarness::RunActive() {
    return m_app->Engine().RunActive();
}

bool EngineHarness::ConvertAndWait(std::chrono::seconds limit) {
    Form().ConvertNowButton->click();
    const bool ended = WaitUntil([this] { return !RunActive(); }, limit);
    // Work the worker queued last is carried out before anyone looks at the window.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ended) << "the run did not end in time";
    return ended;
}

std::string EngineHarness::Cell(int row, int column) const {
    return JobCellText(m_app->Form1().ListView1, row, static_cast<JobColumn>(column)).toStdString();
}

const std::vector<std::string>& EngineHarness::ProgressHistory(int row) {
    if (static_cast<int>(m_progress.size()) <= row) {
        m_progress.resize(row + 1);
    }
    return m_progress[row];
}

std::vector<int> ProcessesRunning(const std::string& exePath) {
    std::vector<int> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) {
            continue;
        }
        std::error_code linkError;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", linkError);
        if (!linkError && exe == fs::path(exePath)) {
            found.push_back(std::stoi(name));
        }
    }
    return found;
}

std::vector<int> ChildProcessesLeft() {
    std::vector<int> found;
    const pid_t self = ::getpid();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) {
            continue;
        }
        std::ifstream statFile(entry.path() / "stat");
        std::string stat;
        std::getline(statFile, stat);
        // "pid (comm) state ppid ...": the name may hold blanks and parentheses.
        const auto close = stat.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        int parent = 0;
        rest >> state >> parent;
        if (parent == self) {
            found.push_back(std::stoi(name));
        }
    }
    return found;
}

::testing::AssertionResult NothingLeftRunning(const std::string& encoderPath) {
    // The reaper collects a child that was not waited for a moment after it ends.
    EngineHarness::WaitUntil(
        [&] { return ProcessesRunning(encoderPath).empty() && ChildProcessesLeft().empty(); },
        std::chrono::milliseconds(3000));
    const auto encoders = ProcessesRunning(encoderPath);
    const auto children = ChildProcessesLeft();
    if (encoders.empty() && children.empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << encoders.size() << " encoder(s) and " << children.size() << " child process(es) left";
}

std::vector<std::string> FolderListing(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        names.push_back(fs::relative(it->path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
