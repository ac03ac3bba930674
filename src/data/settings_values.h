#pragma once
// The values the settings files fill: the nine page-layout fields of the
// layout window Form6 and the loan-limit fields of paramètresemprunt. They
// live in the program-wide context so the windows bind to them when they land.

#include <QString>

namespace karvel {

// Form6's nine fields, as typed: they are only turned into numbers when a
// sheet is printed. The initial values are the window's design-time defaults
// (A4 without margins, 2 columns × 8 rows, amplitude 4), which a first run
// writes to KARVEL.INI.
struct LayoutFields {
    QString Text1 = QStringLiteral("0");   // top margin, mm
    QString Text2 = QStringLiteral("0");   // bottom margin, mm
    QString Text3 = QStringLiteral("0");   // left margin, mm
    QString Text4 = QStringLiteral("0");   // right margin, mm
    QString Text5 = QStringLiteral("210"); // sheet width, mm
    QString Text6 = QStringLiteral("297"); // sheet height, mm
    QString Text7 = QStringLiteral("4");   // barcode amplitude, pixels of 1/600 inch
    QString Text8 = QStringLiteral("8");   // label rows per page
    QString Text9 = QStringLiteral("2");   // label columns per page

    bool operator==(const LayoutFields&) const = default;
};

// The fields of paramètresemprunt, read from LAVOK.INI; empty until then.
struct LoanLimitFields {
    QString Texte1; // pupils' loan limit ("0": no limit)
    QString Texte2; // external members' loan limit
    QString Texte3; // maximum loan duration in days (the overdue list)

    bool operator==(const LoanLimitFields&) const = default;
};

} // namespace karvel
