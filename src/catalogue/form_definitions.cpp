#include "catalogue/form_definitions.h"

#include "data/folders.h"

namespace karvel {

namespace {

FormField line(const char* name, const char* objectName, const char* label, int width,
               bool kept = false) {
    return {QString::fromUtf8(name),
            QString::fromLatin1(objectName),
            QString::fromUtf8(label),
            FieldKind::Line,
            width,
            kept,
            {},
            {},
            {}};
}

FormField date(const char* name, const char* objectName, const char* label) {
    // A pile of documents comes from one delivery, members join on one day.
    FormField field = line(name, objectName, label, 10, true);
    field.kind = FieldKind::Date;
    return field;
}

FormField lines(const char* name, const char* objectName, const char* label) {
    FormField field = line(name, objectName, label, 0);
    field.kind = FieldKind::Lines;
    return field;
}

// Kept for the next record of a pile: a pile is lendable or not as a whole.
FormField check(const char* name, const char* label, const char* ticked, const char* unticked,
                QStringList unticking) {
    FormField field = line(name, name, label, 1, true);
    field.kind = FieldKind::Check;
    field.checkedValue = QString::fromLatin1(ticked);
    field.uncheckedValue = QString::fromLatin1(unticked);
    field.unticking = std::move(unticking);
    return field;
}

} // namespace

bool FormField::ticks(const QString& value) const {
    if (unticking.isEmpty())
        return value.trimmed().compare(checkedValue, Qt::CaseInsensitive) == 0;
    return !unticking.contains(value.trimmed(), Qt::CaseInsensitive);
}

bool FormField::sameInForm(const QString& a, const QString& b) const {
    if (kind == FieldKind::Check)
        return ticks(a) == ticks(b);
    return a == b;
}

const FormDefinition& documentForm() {
    static const FormDefinition definition{
        kCatalogueFile,
        QStringLiteral("vok"),
        QStringLiteral("inventaire"),
        &Queries::documentByNumber,
        {
            line("titre", "titre", "Titre", 50),
            line("auteur", "auteur", "Auteur", 30),
            line("éditeur", "editeur", "Éditeur", 30),
            line("dewey", "dewey", "Dewey", 3),
            line("casier", "casier", "Cote", 15),
            line("ISBN", "isbn", "ISBN", 20),
            // The desk lends a document marked "O" only.
            check("emprunt", "Emprunt possible", "O", "N", {}),
            line("prix", "prix", "Prix", 8),
            date("dateacquisition", "dateacquisition", "Date d'acquisition"),
            lines("motsclés", "motscles", "Mots-clés"),
        },
        {{QStringLiteral("emprunté"), QStringLiteral("N")},
         {QStringLiteral("emprunteur"), QString()},
         {QStringLiteral("catégorieemprunteur"), QString()},
         {QStringLiteral("dateemprunt"), QString()},
         {QStringLiteral("cumul"), QStringLiteral("000")}},
        QStringLiteral("titre"),
        LabelKind::Documents,
        QStringLiteral("NouveauxDocuments"),
        QStringLiteral("KarVel pour La VOK - Nouveaux documents"),
        QStringLiteral("Nouveau document : numéro %1"),
        QStringLiteral("Document numéro %1"),
        QStringLiteral("Imprimer les étiquettes des documents ajoutés"),
        QStringLiteral("Le titre du document est obligatoire."),
        QStringLiteral(
            "Le numéro %1 a été pris par un autre poste entre-temps : le document est enregistré sous le numéro %2."),
        QStringLiteral("Pas de document avec ce numéro : %1"),
        QStringLiteral(
            "Ce document a été modifié sur un autre poste depuis que vous l'avez ouvert : rien n'a été enregistré. Il est affiché tel qu'il est maintenant."),
        QStringLiteral("Aucun document n'a été ajouté dans cette fenêtre."),
    };
    return definition;
}

const FormDefinition& memberForm() {
    static const FormDefinition definition{
        kMembersFile,
        QStringLiteral("membres"),
        QStringLiteral("matricule"),
        &Queries::memberByNumber,
        {
            line("nom", "nom", "Nom", 20),
            line("prénom", "prenom", "Prénom", 20),
            line("adresse", "adresse", "Adresse", 30),
            line("codepostal", "codepostal", "Code postal", 5),
            line("ville", "ville", "Ville", 20),
            line("téléphone", "telephone", "Téléphone", 15),
            date("dateadhésion", "dateadhesion", "Date d'inscription"),
            // A pile of members joining together often pays the same fee.
            line("adhésion", "adhesion", "Cotisation", 15, true),
            line("observations", "observations", "Observations", 50),
            // The desk refuses a member marked "0" or "N" only: an empty field lets him borrow.
            check("emprunt", "Peut emprunter", "1", "0",
                  {QStringLiteral("0"), QStringLiteral("N")}),
        },
        {{QStringLiteral("datedernieremprunt"), QString()}},
        QStringLiteral("nom"),
        LabelKind::Members,
        QStringLiteral("NouveauxAdherents"),
        QStringLiteral("KarVel pour La VOK - Adhérents extérieurs"),
        QStringLiteral("Nouvel adhérent : numéro %1"),
        QStringLiteral("Adhérent numéro %1"),
        QStringLiteral("Imprimer les étiquettes des adhérents ajoutés"),
        QStringLiteral("Le nom de l'adhérent est obligatoire."),
        QStringLiteral(
            "Le numéro %1 a été pris par un autre poste entre-temps : l'adhérent est enregistré sous le numéro %2."),
        QStringLiteral("Pas d'adhérent avec ce numéro : %1"),
        QStringLiteral(
            "Cet adhérent a été modifié sur un autre poste depuis que vous l'avez ouvert : rien n'a été enregistré. Il est affiché tel qu'il est maintenant."),
        QStringLiteral("Aucun adhérent n'a été ajouté dans cette fenêtre."),
    };
    return definition;
}

} // namespace karvel
