#pragma once
// Borrower cards (Form7): one card per pupil or external member, laid out in
// the label grid, each with a title, the borrower's barcode and, when the
// borrower is found, a name line.

#include "printing/label_sheets.h"

namespace karvel {

// Option1's indexes: only 3 and 4 exist.
enum class CardKind { Pupils = 3, Members = 4 };

// What Form7's controls hold when its print button is pressed.
struct CardRequest {
    std::optional<CardKind> kind; // neither selected prints nothing
    NumberChoice numbers = NumberChoice::Series;
    QString seriesStart;     // Text1: series start
    QString seriesEnd;       // Text2: series end
    QString numberList;      // Text7: list
    bool lookUpNames = true; // Check1: look the names up
    int firstLabel = 1;      // as on label sheets
};

// "NOM :" and, when the borrower of that five-digit number is found, a blank,
// the first name, a blank and the surname. Database failures are thrown.
QString cardNameLine(AppContext& ctx, CardKind kind, const QString& number);

// "&Imprimer les cartes d'emprunteurs".
void PrintBorrowerCards(AppContext& ctx, const CardRequest& request, const Progress& progress);

} // namespace karvel
