// A document lookup by number, as the loan desk makes one for every scan, on
// a catalogue of a million documents, beside the same lookup made directly
// on the primary key with one prepared statement: median and 99th percentile.
// The two are made in turn on the same numbers, so that other work on the
// machine weighs on both alike.

#include "bench_support.h"
#include "desk/app_context.h"
#include "platform/sqlite_db.h"
#include "recording_printer.h"
#include "scripted_dialogs.h"

#include <QCoreApplication>
#include <chrono>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kLookups = 20000;
constexpr int kWarmUp = 200;

using Lookup = std::function<void(const QString&)>;

double microsecondsOf(const Lookup& lookup, const QString& number) {
    const auto start = std::chrono::steady_clock::now();
    lookup(number);
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

// Microseconds of each of kLookups lookups of random five-digit numbers, made
// both ways in turn, each number first one way then the other: a moment of
// load on the machine falls on both sides alike.
std::pair<std::vector<double>, std::vector<double>> timeLookups(const Lookup& first,
                                                                const Lookup& second) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> numbers(1, 99999);
    std::vector<double> firsts, seconds;
    firsts.reserve(kLookups);
    seconds.reserve(kLookups);
    for (int i = 0; i < kLookups + kWarmUp; ++i) {
        const QString number = QStringLiteral("%1").arg(numbers(random), 5, 10, QLatin1Char('0'));
        const bool firstFirst = i % 2 == 0;
        const double a = microsecondsOf(firstFirst ? first : second, number);
        const double b = microsecondsOf(firstFirst ? second : first, number);
        if (i < kWarmUp) // the first lookups warm the cache
            continue;
        firsts.push_back(firstFirst ? a : b);
        seconds.push_back(firstFirst ? b : a);
    }
    return {firsts, seconds};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace karvel;
    const QString data = bench::millionDocumentSchool();
    const QString catalogue = pathIn(data, QStringLiteral("VOK.MDB"));

    ScriptedDialogs dialogs;
    SystemClock clock;
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx(dialogs, clock, files, printer);
    DocumentView& view = ctx.views.documentsView;
    view.bind(catalogue);
    Database raw(catalogue, Database::Mode::ReadOnly);
    Statement& byKey = raw.cached(QStringLiteral("SELECT * FROM vok WHERE inventaire = ?1"));
    auto [throughView, direct] = timeLookups(
        [&](const QString& number) {
            view.query(Queries::documentByNumber(number));
            if (!view.isEmpty())
                (void)view.field(QStringLiteral("titre"));
        },
        [&](const QString& number) {
            byKey.bind(1, number);
            if (byKey.step())
                (void)byKey.text(1);
            byKey.reset();
        });

    std::printf("# view: the desk's record source for the number, then all the fields of the "
                "record found; baseline: SELECT * on the key, one field read\n");
    for (const auto& [name, fraction] : {std::pair{"median", 0.5}, std::pair{"p99", 0.99}})
        bench::printFigure(QStringLiteral("lookup through a record view, 1000000 documents, ") +
                               QLatin1String(name),
                           bench::percentile(throughView, fraction),
                           bench::percentile(direct, fraction), "µs");
    return 0;
}
