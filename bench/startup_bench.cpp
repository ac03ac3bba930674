// Start-up on a catalogue of a million documents, up to the main window
// shown: the time taken and the resident memory at that moment.

#include "bench_support.h"
#include "common/app_context.h"
#include "data/settings.h"
#include "platform/recording_printer.h"
#include "platform/scripted_desktop.h"
#include "platform/scripted_dialogs.h"
#include "shell/main_window.h"
#include "shell/startup.h"

#include <QApplication>
#include <QProcess>
#include <chrono>

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
                bench::residentMegabytes("VmHWM:"), int(dialogs.shown.size()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--once") == 0) {
        QApplication app(argc, argv);
        return measureOnce();
    }
    QCoreApplication app(argc, argv);
    const QString data = karvel::bench::millionDocumentSchool();
    // Each start-up runs in a fresh process, in the data folder, as the program does.
    std::vector<double> times;
    double peak = 0;
    for (int run = 0; run < 5; ++run) {
        QProcess child;
        child.setWorkingDirectory(data);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once")});
        child.waitForFinished(120000);
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        if (parts.size() < 3) {
            std::printf("échec de la mesure\n");
            return 1;
        }
        times.push_back(parts[0].toDouble());
        peak = std::max(peak, parts[1].toDouble());
    }
    std::sort(times.begin(), times.end());
    std::printf("Démarrage jusqu'à la fenêtre principale (1 000 000 documents, 5 essais)\n");
    std::printf("  médiane : %.0f ms, pire : %.0f ms\n", times[times.size() / 2], times.back());
    std::printf("  mémoire résidente maximale : %.1f Mo\n", peak);
    return 0;
}
