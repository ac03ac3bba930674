// Start-up up to the main window shown, on catalogues of 99,999 and a
// million documents, beside the same start-up on an empty catalogue: the
// time taken and the peak resident memory.

#include "bench_support.h"
#include "data/settings.h"
#include "desk/app_context.h"
#include "recording_printer.h"
#include "scripted_desktop.h"
#include "scripted_dialogs.h"
#include "shell/main_window.h"
#include "shell/startup.h"

#include <QApplication>
#include <QProcess>
#include <chrono>
#include <optional>

namespace {

int measureOnce() {
    using namespace karvel;
    ScriptedDialogs dialogs;
    SystemClock clock;
    FileSystem files;
    RecordingPrinter printer;
    ScriptedDesktop desktop;
    const auto start = std::chrono::steady_clock::now();
    AppContext ctx(dialogs, clock, files, printer);
    ctx.desktop = &desktop;
    StartupHooks hooks;
    hooks.loadSettings = [&ctx] { LoadSettings(ctx); };
    if (RunStartup(ctx, QDir::currentPath(), hooks) != StartupResult::ShowMainWindow) {
        std::printf("échec du démarrage\n");
        return 1;
    }
    MainWindow window(ctx, QuitActions{});
    window.show();
    QApplication::processEvents();
    const auto end = std::chrono::steady_clock::now();
    std::printf("%.1f %.1f %d\n", std::chrono::duration<double, std::milli>(end - start).count(),
                karvel::bench::residentMegabytes("VmHWM:"), int(dialogs.shown.size()));
    return 0;
}

struct Figures {
    double milliseconds; // the median of the runs
    double peakMegabytes;
};

// Five start-ups, each in a fresh process started in the data folder, as the program is.
std::optional<Figures> measure(int documents) {
    const QString data = karvel::bench::demoSchool(documents);
    std::vector<double> times;
    double peak = 0;
    for (int run = 0; run < 5; ++run) {
        QProcess child;
        child.setWorkingDirectory(data);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once")});
        child.waitForFinished(120000);
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        if (parts.size() < 3)
            return std::nullopt;
        times.push_back(parts[0].toDouble());
        peak = std::max(peak, parts[1].toDouble());
    }
    return Figures{karvel::bench::percentile(times, 0.5), peak};
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--once") == 0) {
        QApplication app(argc, argv);
        return measureOnce();
    }
    QCoreApplication app(argc, argv);
    const std::optional<Figures> empty = measure(0);
    if (!empty) {
        std::printf("échec de la mesure\n");
        return 1;
    }
    for (int documents : {99999, karvel::kDemoMaxDocuments}) {
        const std::optional<Figures> full = measure(documents);
        if (!full) {
            std::printf("échec de la mesure\n");
            return 1;
        }
        const QString size = QStringLiteral(", %1 documents").arg(documents);
        karvel::bench::printFigure(QStringLiteral("start-up to the main window") + size,
                                   full->milliseconds, empty->milliseconds, "ms");
        karvel::bench::printFigure(QStringLiteral("start-up peak resident memory") + size,
                                   full->peakMegabytes, empty->peakMegabytes, "MB");
    }
    return 0;
}
