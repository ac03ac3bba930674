#pragma once
// The loan desk's program-wide values: they outlive the desk window and
// its resets, and the journal writes from them.

#include <QString>

namespace karvel {

// The copy of the document view's current record that the journal and the
// document list work from.
struct CurrentDocumentRecord {
    QString inventaire;
    QString titre;
    QString auteur;
    QString éditeur;
    QString ISBN;
    QString dateacquisition;
    QString prix;
    QString dewey;
    QString casier;
    QString emprunt;
    QString motsclés;
    QString emprunté;
    QString catégorieemprunteur;
    QString emprunteur;
    QString dateemprunt;
    QString cumul;
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
