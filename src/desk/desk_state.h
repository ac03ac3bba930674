#pragma once
// What the loan desk window shows, held without widgets: the interpreter
// reads and writes these fields, and the window Form2 mirrors them.

#include <QString>
#include <QStringList>

namespace karvel {

struct DeskState {
    QString reading;              // Text1: the reading to interpret
    QString actionWord;           // Text2: current action word: "EMPRUNT", "RESTITUTION" or empty
    QString borrowerReading;      // Text3: the last accepted borrower reading ("ECO-00042")
    QString documentNumber;       // Text4: number of the document being handled
    QString actionCaption;        // Label4: caption of the current action
    QString borrowerKind;         // Label5: kind of borrower: "école" or "extérieur"
    QString borrowerNumber;       // Label6: the borrower's number
    QString borrowerName;         // Label9: the borrower's name
    QStringList handledDocuments; // List1: documents handled: number, " - ", title
    // Set when the focus must go back to the reading field; the window clears it.
    bool focusReading = false;
};

} // namespace karvel
