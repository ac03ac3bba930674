#pragma once
// What the loan desk window shows, held without widgets: the interpreter
// reads and writes these fields, and the window Form2 mirrors them.

#include <QString>
#include <QStringList>

namespace karvel {

struct DeskState {
    QString Text1;     // the reading to interpret
    QString Text2;     // current action word: "EMPRUNT", "RESTITUTION" or empty
    QString Text3;     // the last accepted borrower reading ("ECO-00042")
    QString Text4;     // number of the document being handled
    QString Label4;    // caption of the current action
    QString Label5;    // kind of borrower: "école" or "extérieur"
    QString Label6;    // the borrower's number
    QString Label9;    // the borrower's name
    QStringList List1; // documents handled: number, " - ", title
    // Set when the focus must go back to the reading field; the window clears it.
    bool focusReading = false;
};

} // namespace karvel
