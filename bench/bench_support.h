#pragma once
// Demo schools made once and kept in the temporary folder for later runs, and
// the one form every figure is printed in: beside the baseline it is judged
// against, "name: value (baseline: value, ratio R)".

#include "demo_data.h"
#include "desk/app_context.h"
#include "recording_printer.h"
#include "scripted_dialogs.h"
#include "shell/startup.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

namespace karvel::bench {

// The data folder of a demo school of `documents` documents.
inline QString demoSchool(int documents) {
    const QString folder = QDir::tempPath() + QStringLiteral("/karvel-bench-%1").arg(documents);
    if (!QFile::exists(folder + QStringLiteral("/LAVOK/VOK.MDB"))) {
        QDir(folder).removeRecursively();
        std::fprintf(stderr, "Création d'un catalogue de %d documents dans %s...\n", documents,
                     qPrintable(folder));
        DemoOptions options;
        options.documents = documents;
        options.referenceDate = QDate(2026, 12, 1);
        createDemoData(folder, options);
    }
    return folder + QStringLiteral("/LAVOK");
}

// The catalogue size a benchmark is asked for with "--documents N", 99,999 without it.
inline int documentsArgument(int argc, char** argv) {
    return argc > 2 && qstrcmp(argv[1], "--documents") == 0 ? QByteArray(argv[2]).toInt() : 99999;
}

inline QString millionDocumentSchool() {
    return demoSchool(kDemoMaxDocuments);
}

// The program's context on the school of data folder `data`, started up;
// boxes are answered by script and kept.
struct StartedSchool {
    explicit StartedSchool(const QString& data) {
        if (RunStartup(ctx, data, {}) != StartupResult::ShowMainWindow)
            throw std::runtime_error("échec du démarrage");
    }
    ScriptedDialogs dialogs;
    SystemClock clock;
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx{dialogs, clock, files, printer};
};

inline double millisecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Peak and current resident memory of this process, in megabytes.
inline double residentMegabytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// The value at `fraction` (0.5: the median) of the samples, sorted in place.
inline double percentile(std::vector<double>& samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(double(samples.size()) * fraction))];
}

inline void printFigure(const QString& name, double value, double baseline, const char* unit) {
    std::printf("%s: %.2f %s (baseline: %.2f %s, ratio %.2f)\n", qPrintable(name), value, unit,
                baseline, unit, baseline > 0 ? value / baseline : 0.0);
    std::fflush(stdout);
}

} // namespace karvel::bench
