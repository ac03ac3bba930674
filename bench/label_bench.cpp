// A job of 7,200 document labels (100 sheets of 6 columns × 12 rows,
// amplitude 4) written to a 600 dpi PDF, once with the bars merged into
// rectangles as the program prints them and once filled line by line: time
// and bytes per sheet of each.

#include "desk/app_context.h"
#include "platform/painter_printer.h"
#include "printing/label_sheets.h"
#include "scripted_dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace karvel;

namespace {

constexpr int kSheets = 100;

struct Figures {
    double seconds;
    qint64 bytes;
};

Figures run(const QString& file, bool merged) {
    ScriptedDialogs dialogs;
    SystemClock clock;
    FileSystem files;
    PdfPrinter pdf(dialogs, files, clock, [&] { return PdfTarget{file, false}; });
    pdf.setMergedRuns(merged);
    AppContext ctx(dialogs, clock, files, pdf);
    ctx.layout.amplitude = QStringLiteral("4");
    ctx.layout.columns = QStringLiteral("6");
    ctx.layout.rows = QStringLiteral("12");
    // Six columns at amplitude 4 run past the sheet's edge: without a Yes to
    // the layout question nothing prints and nothing is measured.
    dialogs.answers = {AnswerYes};
    LabelSheetRequest request;
    request.kind = LabelKind::Documents;
    request.seriesStart = QStringLiteral("1");
    request.seriesEnd = QString::number(kSheets * 72);
    QElapsedTimer timer;
    timer.start();
    PrintLabelSheets(ctx, request, [](int) {});
    const double seconds = timer.nsecsElapsed() / 1e9;
    return {seconds, QFileInfo(file).size()};
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const Figures merged = run(dir.path() + QStringLiteral("/merged.pdf"), true);
    const Figures plain = run(dir.path() + QStringLiteral("/plain.pdf"), false);
    std::printf("%d sheets of 72 labels, amplitude 4, PDF at 600 dpi\n", kSheets);
    std::printf("%-28s %10s %12s %14s\n", "", "seconds", "KB/sheet", "ms/sheet");
    for (const auto& [name, f] : {std::pair{"bars merged (as printed)", merged},
                                  std::pair{"one rectangle per line", plain}})
        std::printf("%-28s %10.2f %12.1f %14.1f\n", name, f.seconds, f.bytes / 1024.0 / kSheets,
                    f.seconds * 1000 / kSheets);
    std::printf("goal for the merged bars: under 2 s and under 25 KB a sheet\n");
    return 0;
}
