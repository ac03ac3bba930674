// A document lookup by number, as the loan desk makes one for every scan, on
// a catalogue of a million documents: median and 99th percentile.

#include "bench_support.h"
#include "common/app_context.h"
#include "platform/recording_printer.h"
#include "platform/scripted_dialogs.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace karvel;
    const QString data = bench::millionDocumentSchool();

    ScriptedDialogs dialogs;
    SystemClock clock;
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx(dialogs, clock, files, printer);
    DocumentView& view = ctx.views.Fichedocument;
    view.bind(pathIn(data, QStringLiteral("VOK.MDB")));

    std::mt19937 random(42);
    std::uniform_int_distribution<int> numbers(1, 99999);
    constexpr int kLookups = 20000;
    std::vector<double> micros;
    micros.reserve(kLookups);
    int found = 0;
    for (int i = 0; i < kLookups + 200; ++i) {
        const QString number = QStringLiteral("%1").arg(numbers(random), 5, 10, QLatin1Char('0'));
        const auto start = std::chrono::steady_clock::now();
        view.query(Queries::documentByNumber(number));
        if (!view.isEmpty()) {
            ++found;
            (void)view.field(QStringLiteral("titre"));
        }
        const auto end = std::chrono::steady_clock::now();
        if (i >= 200) // the first lookups warm the cache
            micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(micros.begin(), micros.end());
    std::printf("Recherche d'un document par numéro (1 000 000 documents, %d recherches, %d "
                "trouvés)\n",
                kLookups, found);
    std::printf("  médiane : %.1f µs\n", micros[micros.size() / 2]);
    std::printf("  99e centile : %.1f µs\n", micros[micros.size() * 99 / 100]);
    std::printf("  maximum : %.1f µs\n", micros.back());
    std::printf("  mémoire résidente : %.1f Mo\n", bench::residentMegabytes("VmRSS:"));
    return 0;
}
