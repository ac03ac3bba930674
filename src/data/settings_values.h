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
    QString topMargin = QStringLiteral("0");     // Text1: top margin, mm
    QString bottomMargin = QStringLiteral("0");  // Text2: bottom margin, mm
    QString leftMargin = QStringLiteral("0");    // Text3: left margin, mm
    QString rightMargin = QStringLiteral("0");   // Text4: right margin, mm
    QString sheetWidth = QStringLiteral("210");  // Text5: sheet width, mm
    QString sheetHeight = QStringLiteral("297"); // Text6: sheet height, mm
    QString amplitude = QStringLiteral("4");     // Text7: barcode amplitude, pixels of 1/600 inch
    QString rows = QStringLiteral("8");          // Text8: label rows per page
    QString columns = QStringLiteral("2");       // Text9: label columns per page

    bool operator==(const LayoutFields&) const = default;
};

// The fields of paramètresemprunt, read from LAVOK.INI; empty until then.
struct LoanLimitFields {
    QString pupilLimit;  // Texte1: pupils' loan limit ("0": no limit)
    QString memberLimit; // Texte2: external members' loan limit
    QString maxLoanDays; // Texte3: maximum loan duration in days (the overdue list)

    bool operator==(const LoanLimitFields&) const = default;
};

} // namespace karvel
