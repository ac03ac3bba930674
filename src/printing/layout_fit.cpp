#include "printing/layout_fit.h"

#include "platform/printer_surface.h"
#include "printing/label_grid.h"

#include <algorithm>
#include <cmath>

namespace karvel {

namespace {

// clang-format off
const QString kThinBars = QStringLiteral("Avec l'amplitude %1, les barres fines ne mesurent que %2 mm : en dessous de %3 mm, un lecteur de codes-barres risque de ne pas les lire.\n\nVoulez-vous quand même imprimer ?");
const QString kSymbolIntoNextColumn = QStringLiteral("Le code-barres de la colonne %1 empiète de %2 mm sur l'étiquette de la colonne %3 : les deux risquent d'être illisibles.\n\nVoulez-vous quand même imprimer ?");
const QString kSymbolPastRightEdge = QStringLiteral("Le code-barres de la colonne %1 dépasse de %2 mm le bord imprimable de la feuille.\n\nVoulez-vous quand même imprimer ?");
const QString kSymbolIntoNextRow = QStringLiteral("Les caractères sous les codes-barres de la ligne %1 empiètent de %2 mm sur l'étiquette de la ligne %3.\n\nVoulez-vous quand même imprimer ?");
const QString kSymbolPastBottomEdge = QStringLiteral("Les caractères sous les codes-barres de la ligne %1 dépassent de %2 mm le bas de la zone imprimable de la feuille.\n\nVoulez-vous quand même imprimer ?");
const QString kTitleIntoNextColumn = QStringLiteral("Le titre des cartes de la colonne %1 empiète de %2 mm sur la carte de la colonne %3.\n\nVoulez-vous quand même imprimer ?");
const QString kTitlePastRightEdge = QStringLiteral("Le titre des cartes de la colonne %1 dépasse de %2 mm le bord imprimable de la feuille.\n\nVoulez-vous quand même imprimer ?");
const QString kSymbolColumnUnprinted = QStringLiteral("Le code-barres de la colonne %1 tombe de %2 mm dans le bord de la feuille que l'imprimante ne peut pas imprimer.\n\nVoulez-vous quand même imprimer ?");
const QString kSymbolRowUnprinted = QStringLiteral("Le code-barres de la ligne %1 tombe de %2 mm dans le bord de la feuille que l'imprimante ne peut pas imprimer.\n\nVoulez-vous quand même imprimer ?");
const QString kTitleOverSymbol = QStringLiteral("Le titre des cartes empiète de %1 mm sur leur code-barres.\n\nVoulez-vous quand même imprimer ?");
// clang-format on

double millimetres(double pixels) {
    return pixels * 25.4 / kPixelsPerInch;
}

// A length as the French write it, to `decimals`: an overlap of a few
// hundredths of a millimetre is not shown as none.
QString french(double millimetres, int decimals) {
    const double scale = std::pow(10.0, decimals);
    QString text =
        QString::number(std::max(1.0, std::round(millimetres * scale)) / scale, 'f', decimals);
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString overflowText(double pixels) {
    return french(millimetres(pixels), 1);
}

} // namespace

double symbolInkWidth(int characters, double amplitude) {
    return characters > 0 ? 16 * characters * amplitude - amplitude : 0;
}

std::optional<QString> layoutFitQuestion(const CellPlan& plan, const LabelGrid& grid,
                                         const QMarginsF& unprintable) {
    const double bar = millimetres(plan.amplitude);
    if (bar < kNarrowestReadableBarMm - 1e-9)
        return kThinBars.arg(
            QString::number(plan.amplitude).replace(QLatin1Char('.'), QLatin1Char(',')),
            french(bar, 3), french(kNarrowestReadableBarMm, 3));

    double firstLeft = plan.cellWidth;
    double firstTop = plan.cellHeight;
    for (const CellItem& item : plan.items) {
        firstLeft = std::min(firstLeft, item.box.left());
        firstTop = std::min(firstTop, item.box.top());
    }
    using Kind = CellItem::Kind;
    for (const CellItem& item : plan.items) {
        if (item.kind == Kind::Characters)
            continue; // centred under the bars, never wider
        const bool bars = item.kind == Kind::Bars;
        // The next cell's first ink, less the white a symbol needs beside it.
        const double quiet = bars ? kQuietZoneModules * plan.amplitude : 0;
        const double intoNext = item.box.right() + quiet - (plan.cellWidth + firstLeft);
        if (plan.columns > 1 && intoNext > 0)
            return (bars ? kSymbolIntoNextColumn : kTitleIntoNextColumn)
                .arg(1)
                .arg(overflowText(intoNext))
                .arg(2);
        const double pastEdge =
            grid.left + (plan.columns - 1) * plan.cellWidth + item.box.right() - grid.W;
        if (pastEdge > 0)
            return (bars ? kSymbolPastRightEdge : kTitlePastRightEdge)
                .arg(plan.columns)
                .arg(overflowText(pastEdge));
    }
    for (const CellItem& item : plan.items) {
        if (item.kind == Kind::Characters) {
            const double intoNext = item.box.bottom() - (plan.cellHeight + firstTop);
            if (plan.rows > 1 && intoNext > 0)
                return kSymbolIntoNextRow.arg(1).arg(overflowText(intoNext)).arg(2);
            const double pastEdge =
                grid.top + (plan.rows - 1) * plan.cellHeight + item.box.bottom() - grid.H;
            if (pastEdge > 0)
                return kSymbolPastBottomEdge.arg(plan.rows).arg(overflowText(pastEdge));
        }
        if (item.kind != Kind::Bars)
            continue;
        for (const CellItem& title : plan.items) {
            const double over = title.box.bottom() - item.box.top();
            if (title.kind == Kind::CardTitle && over > 0)
                return kTitleOverSymbol.arg(overflowText(over));
        }
    }
    // Only bars are checked against the edges the printer cannot print: a
    // title or characters cut there still tell what the label is, cut bars
    // cannot be read.
    for (const CellItem& item : plan.items) {
        if (item.kind != Kind::Bars)
            continue;
        const double lastRight = grid.left + (plan.columns - 1) * plan.cellWidth + item.box.right();
        const double lastBottom = grid.top + (plan.rows - 1) * plan.cellHeight + item.box.bottom();
        if (const double in = unprintable.left() - (grid.left + item.box.left()); in > 0)
            return kSymbolColumnUnprinted.arg(1).arg(overflowText(in));
        if (const double in = lastRight - (grid.W - unprintable.right()); in > 0)
            return kSymbolColumnUnprinted.arg(plan.columns).arg(overflowText(in));
        if (const double in = unprintable.top() - (grid.top + item.box.top()); in > 0)
            return kSymbolRowUnprinted.arg(1).arg(overflowText(in));
        if (const double in = lastBottom - (grid.H - unprintable.bottom()); in > 0)
            return kSymbolRowUnprinted.arg(plan.rows).arg(overflowText(in));
    }
    return std::nullopt;
}

} // namespace karvel
