#include "records/record_source.h"

#include "platform/search_fold.h"

namespace karvel::Queries {

namespace {

QString quoted(const QString& identifier) {
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

RecordSource make(const QString& table, const QString& rest, QStringList values = {}) {
    return {
        table, QStringLiteral("SELECT rowid FROM ") + quoted(table) + rest, std::move(values), {}};
}

} // namespace

// Keys are compared with the column's own case-insensitive collation, so that
// the lookup uses the key's index; other texts with the Unicode-aware one.

RecordSource table(const QString& name) {
    return make(name, QString());
}

RecordSource allDocuments() {
    RecordSource source = make(QStringLiteral("vok"), QStringLiteral(" ORDER BY inventaire ASC"));
    source.backwardSql = make(source.table, QStringLiteral(" ORDER BY inventaire DESC")).sql;
    return source;
}

RecordSource documentsMatching(const QString& text) {
    return make(QStringLiteral("vok"),
                QStringLiteral(" WHERE FRHOLDS(titre, ?1) OR FRHOLDS(auteur, ?1)"
                               " ORDER BY inventaire ASC"),
                {foldForSearch(text)});
}

RecordSource documentByNumber(const QString& number) {
    return make(QStringLiteral("vok"), QStringLiteral(" WHERE inventaire = ?1"), {number});
}

RecordSource currentLoans(const QString& borrowerCategory, const QString& borrowerNumber) {
    return make(QStringLiteral("vok"),
                QStringLiteral(" WHERE emprunteur = ?2 AND emprunté = 'O' COLLATE FRNOCASE"
                               " AND catégorieemprunteur = ?1 COLLATE FRNOCASE"),
                {borrowerCategory, borrowerNumber});
}

RecordSource documentsOnLoan() {
    return make(QStringLiteral("vok"),
                QStringLiteral(" WHERE emprunté = 'O' COLLATE FRNOCASE ORDER BY inventaire ASC"));
}

RecordSource titlesStartingWithA() {
    // One record per distinct title: the first record that carries it.
    return {QStringLiteral("vok"),
            QStringLiteral("SELECT min(rowid) FROM vok WHERE titre LIKE 'a%' GROUP BY titre "
                           "COLLATE FRNOCASE"),
            {},
            {}};
}

RecordSource pupilByNumber(const QString& number) {
    return make(QStringLiteral("enfants"), QStringLiteral(" WHERE matricule = ?1"), {number});
}

RecordSource pupilsOfClass(const QString& classNumber) {
    // The class number is matched as a pattern, as a Jet "like" does; its
    // wildcards (* and ?) are those of Jet.
    QString pattern = classNumber;
    pattern.replace(QLatin1Char('*'), QLatin1Char('%')).replace(QLatin1Char('?'), QLatin1Char('_'));
    return make(QStringLiteral("enfants"),
                QStringLiteral(" WHERE classe LIKE ?1 ORDER BY nomenfant COLLATE FRSORT ASC, "
                               "prénomenfant COLLATE FRSORT ASC"),
                {pattern});
}

RecordSource classes() {
    return make(QStringLiteral("équipe"), QStringLiteral(" ORDER BY équipenuméro ASC"));
}

RecordSource allMembers() {
    return make(QStringLiteral("membres"), QString());
}

RecordSource memberByNumber(const QString& number) {
    return make(QStringLiteral("membres"), QStringLiteral(" WHERE matricule = ?1"), {number});
}

RecordSource membersByName() {
    return make(QStringLiteral("membres"),
                QStringLiteral(" ORDER BY nom COLLATE FRSORT ASC, prénom COLLATE FRSORT ASC"));
}

} // namespace karvel::Queries
