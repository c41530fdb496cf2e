// What the program adds to a conversion, measured in one run on one file:
//   - the encoder alone: the job's own command line, its report read as fast as it comes;
//   - the program: the same job from "Go Convert " to the end of the run, offscreen, through
//     the window, the worker, the 360 ms reads and the 260 ms verdict pause;
//   - the program's own processor time while it converts (the encoder's is not counted).
// Two sources: a long one, the usual case, where the report comes slower than the program
// reads it; and a short one that converts in about a second, where the 255 bytes read per
// 360 ms cannot keep up with the report and the reading itself paces the job.
// Prints plain lines of figures. Usage: engine_overhead_bench [runs]

#include "app/main_window.h"
#include "app/ravelcast_app.h"
#include "command/job_command.h"
#include "encoder/encoder_runner.h"
#include "engine/conversion_engine.h"
#include "engine/encoder_job.h"
#include "engine/engine_ui.h"
#include "jobs/job_list.h"
#include "power/power_off_request.h"
#include "settings/options_dialog.h"
#include "support/dialog_seam.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The bench never powers anything off.
class NoPowerOff : public PowerOffRequest {
public:
    bool ShutDownPC() override { return false; }
};

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double OwnCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool MakeSource(const fs::path& file, int seconds) {
    const std::string duration = std::to_string(seconds);
    std::vector<std::string> args = {"ffmpeg",
                                     "-hide_banner",
                                     "-loglevel",
                                     "error",
                                     "-y",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "testsrc=size=640x360:rate=25",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "sine=frequency=440:sample_rate=48000",
                                     "-t",
                                     duration,
                                     "-c:v",
                                     "mpeg4",
                                     "-q:v",
                                     "5",
                                     "-c:a",
                                     "libmp3lame",
                                     file.string()};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execvp("ffmpeg", argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The encoder on its own, its report drained at once.
double EncoderAloneMs(const std::string& commandLine, const std::string& appDir) {
    EncoderRunSettings settings;
    settings.pollDelayMs = 0;
    settings.consumeChunk = [](std::string_view) { return RunnerStep::Continue; };
    settings.waitAfterEnd = true;
    settings.appDir = appDir;
    const auto start = Clock::now();
    const EncoderRunResult run = EncoderRunner(commandLine, settings);
    const double ms = MillisecondsSince(start);
    return run.started ? ms : -1;
}

// Serves events until the run is over. Looking every 10 ms costs next to nothing, so the
// bench's own waiting neither shows up as the program's processor time nor blurs the end.
void WaitForRunEnd(ConversionEngine& engine) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (!engine.RunActive()) {
            loop.quit();
        }
    });
    look.start(10);
    loop.exec();
}

struct ProgramRun {
    double wallMs = 0;
    double cpuSeconds = 0;
};

ProgramRun RunProgram(RavelcastApp& app) {
    const double cpuBefore = OwnCpuSeconds();
    const auto start = Clock::now();
    app.Form1().ConvertNowButtonClick();
    WaitForRunEnd(app.Engine());
    ProgramRun run;
    run.wallMs = MillisecondsSince(start);
    run.cpuSeconds = OwnCpuSeconds() - cpuBefore;
    return run;
}

struct Case {
    const char* name;
    int sourceSeconds;
};

void AddRow(TForm1& form, const QString& source) {
    form.AddJobRow(source, QStringLiteral("640 x 360"), QStringLiteral("25"),
                   QStringLiteral("00:00:10"));
}

void EmptyFolder(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        fs::remove(entry.path());
    }
}

// Returns false when the source could not be made.
bool MeasureCase(RavelcastApp& app, const Case& c, const fs::path& folder, int runs,
                 double& programCpu, double& programWall) {
    const fs::path source = folder / (std::string(c.name) + ".avi");
    const fs::path out = folder / "out";
    if (!MakeSource(source, c.sourceSeconds)) {
        std::printf("error: ffmpeg could not make the source\n");
        return false;
    }
    TForm1& form = app.Form1();
    const std::string appDir = form.Values().AppDir;
    form.ClearAllButtonClick();
    EmptyFolder(out);
    const QString sourceText = QFile::decodeName(QByteArray::fromStdString(source.string()));
    AddRow(form, sourceText);

    // The very command line the program runs for this row.
    EngineUi ui(ConversionControls(form, &app.Countdown()));
    JobRequest request;
    request.sourcePath = source.string();
    request.route = FirstPassRoute(request.sourcePath);
    request.rowVideoSize = "640 x 360";
    request.outputExtension = "mp4";
    JobCommand command;
    BuildJobCommand(ui.ReadJobSettings(), request, command);

    std::printf("case %s: source 640x360 25 fps %d s MPEG-4/MP3 AVI, profile \"%s\", %d runs\n",
                c.name, c.sourceSeconds,
                form.ComboOutputFormat->currentText().toStdString().c_str(), runs);
    std::vector<double> aloneMs;
    std::vector<double> programMs;
    for (int i = 0; i < runs; ++i) {
        fs::remove(command.outputFilePath);
        aloneMs.push_back(EncoderAloneMs(command.commandLine, appDir));
        fs::remove(command.outputFilePath);
        const ProgramRun run = RunProgram(app);
        programMs.push_back(run.wallMs);
        programCpu += run.cpuSeconds;
        programWall += run.wallMs;
        const std::string verdict = JobCellText(form.ListView1, 0, kJobProgress).toStdString();
        std::printf("  run %d: encoder_alone_ms %.0f program_job_ms %.0f overhead_ms %.0f "
                    "program_cpu_percent %.2f verdict %s\n",
                    i + 1, aloneMs.back(), run.wallMs, run.wallMs - aloneMs.back(),
                    100.0 * run.cpuSeconds / (run.wallMs / 1000.0), verdict.c_str());
    }
    const double alone = Median(aloneMs);
    std::printf("  encoder_alone_ms_median %.0f program_job_ms_median %.0f\n", alone,
                Median(programMs));
    std::printf("  overhead_per_job_ms_median %.0f (target <= %d: one poll plus the verdict "
                "pause)\n",
                Median(programMs) - alone, kJobPollDelayMs + kVerdictPauseMs);

    // A batch: the same file three times in one run, each job to a name of its own.
    const int batchRows = 3;
    for (int i = 1; i < batchRows; ++i) {
        AddRow(form, sourceText);
    }
    EmptyFolder(out);
    const ProgramRun batch = RunProgram(app);
    programCpu += batch.cpuSeconds;
    programWall += batch.wallMs;
    std::printf("  batch_of_%d_ms %.0f overhead_per_job_ms %.0f\n", batchRows, batch.wallMs,
                (batch.wallMs - batchRows * alone) / batchRows);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    char pattern[] = "/tmp/rc-engine-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::printf("error: no temporary folder\n");
        return 1;
    }
    const fs::path folder = pattern;
    fs::create_directories(folder / "out");

    NoPowerOff powerOff;
    RavelcastApp app(RC_APPDIR, &powerOff, [] {});
    DialogSeam::SetMessageAnswerer([](const MessageRequest&) { return QMessageBox::Ok; });
    // Whatever the settings file holds: no power-off, no overwriting, the first profile.
    app.Form4().CheckBoxShutDown->setChecked(false);
    app.Form4().CheckBoxOverWrite->setChecked(false);
    app.Form1().ComboOutputFormat->setCurrentIndex(0);
    app.Form1().ComboOutputFormatChange();
    app.Form1().Edit1->setText(
        QFile::decodeName(QByteArray::fromStdString((folder / "out").string())));

    double programCpu = 0;
    double programWall = 0;
    bool ok = true;
    for (const Case& c : {Case{"long", 60}, Case{"short", 10}}) {
        ok = ok && MeasureCase(app, c, folder, runs, programCpu, programWall);
    }
    if (ok) {
        std::printf("program_cpu_percent_of_one_core %.2f (target < 5; %.3f s over %.1f s "
                    "converting)\n",
                    100.0 * programCpu / (programWall / 1000.0), programCpu, programWall / 1000.0);
    }
    fs::remove_all(folder);
    return ok ? 0 : 1;
}
