#pragma once
// The loan desk's program-wide values: they outlive the desk window and
// its resets, and the journal writes from them.

#include <QString>

namespace karvel {

// The copy of the document view's current record that the journal and the
// document list work from.
struct CurrentDocumentRecord {
    QString number;          // inventaire
    QString title;           // titre
    QString author;          // auteur
    QString publisher;       // éditeur
    QString isbn;            // ISBN
    QString acquisitionDate; // dateacquisition
    QString price;           // prix
    QString dewey;
    QString shelfMark;    // casier
    QString lendable;     // emprunt
    QString keywords;     // motsclés
    QString loanState;    // emprunté
    QString borrowerKind; // catégorieemprunteur
    QString borrower;     // emprunteur
    QString loanDate;     // dateemprunt
    QString loanCount;    // cumul
};

struct DeskValues {
    QString CurrentAction;    // "Emprunt d'un document" or "Restitution d'un document"
    QString BorrowerCategory; // "école" or "extérieur"
    QString BorrowerNumber;   // borrower of the loan being made
    QString DocumentNumber;   // document of the loan being made
    int ForceLoan = 0;        // 1 when the user forced a loan beyond its limit
    CurrentDocumentRecord CurrentDocument;
};

} // namespace karvel
