#include "schema.h"

#include "platform/sqlite_db.h"

namespace karvel::schema {

const Table& catalogue() {
    static const Table table{
        QStringLiteral("vok"),
        {QStringLiteral("inventaire"), QStringLiteral("titre"), QStringLiteral("auteur"),
         QStringLiteral("éditeur"), QStringLiteral("dewey"), QStringLiteral("casier"),
         QStringLiteral("motsclés"), QStringLiteral("emprunt"), QStringLiteral("ISBN"),
         QStringLiteral("dateacquisition"), QStringLiteral("prix"), QStringLiteral("emprunté"),
         QStringLiteral("emprunteur"), QStringLiteral("catégorieemprunteur"),
         QStringLiteral("dateemprunt"), QStringLiteral("cumul")},
        QStringLiteral("inventaire")};
    return table;
}

const Table& members() {
    static const Table table{QStringLiteral("membres"),
                             {QStringLiteral("matricule"), QStringLiteral("nom"),
                              QStringLiteral("prénom"), QStringLiteral("adresse"),
                              QStringLiteral("codepostal"), QStringLiteral("ville"),
                              QStringLiteral("téléphone"), QStringLiteral("dateadhésion"),
                              QStringLiteral("adhésion"), QStringLiteral("observations"),
                              QStringLiteral("datedernieremprunt"), QStringLiteral("emprunt")},
                             QStringLiteral("matricule")};
    return table;
}

const Table& externalGroups() {
    static const Table table{QStringLiteral("extérieurs"),
                             {QStringLiteral("code"), QStringLiteral("libellé")},
                             QString()};
    return table;
}

const Table& pupils() {
    static const Table table{QStringLiteral("enfants"),
                             {QStringLiteral("matricule"), QStringLiteral("nomenfant"),
                              QStringLiteral("prénomenfant"), QStringLiteral("classe"),
                              QStringLiteral("niveau"), QStringLiteral("cycle")},
                             QStringLiteral("matricule")};
    return table;
}

const Table& classes() {
    static const Table table{QStringLiteral("équipe"),
                             {QStringLiteral("équipenuméro"), QStringLiteral("équipeniveau"),
                              QStringLiteral("équipecycle"), QStringLiteral("équipeinstituteur")},
                             QString()};
    return table;
}

const Table& school() {
    static const Table table{QStringLiteral("école"),
                             {QStringLiteral("nom"), QStringLiteral("adresse"),
                              QStringLiteral("codepostal"), QStringLiteral("ville"),
                              QStringLiteral("directeur")},
                             QString()};
    return table;
}

const Table& cotation() {
    static const Table table{QStringLiteral("cotation"),
                             {QStringLiteral("dewey"), QStringLiteral("libellé")},
                             QString()};
    return table;
}

namespace {
QString quoted(const QString& identifier) {
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}
} // namespace

void createTable(Database& db, const Table& table) {
    QString sql = QStringLiteral("CREATE TABLE ") + quoted(table.name) + QStringLiteral(" (");
    for (int i = 0; i < table.fields.size(); ++i) {
        if (i > 0)
            sql += QStringLiteral(", ");
        // Keys and codes compare without regard to case, as the Jet engine did.
        sql += quoted(table.fields[i]) + QStringLiteral(" TEXT COLLATE NOCASE");
    }
    sql += QLatin1Char(')');
    db.exec(sql);
    if (!table.key.isEmpty())
        db.exec(QStringLiteral("CREATE UNIQUE INDEX ") + quoted(table.name + "_" + table.key) +
                QStringLiteral(" ON ") + quoted(table.name) + QLatin1Char('(') + quoted(table.key) +
                QLatin1Char(')'));
    if (table.name == QLatin1String("vok"))
        db.exec(QStringLiteral("CREATE INDEX vok_emprunteur ON vok(emprunteur)"));
    if (table.name == QLatin1String("enfants"))
        db.exec(QStringLiteral("CREATE INDEX enfants_classe ON enfants(classe)"));
}

void createDatabaseFile(const QString& path, const QString& fileName) {
    Database db(path, Database::Mode::Create);
    db.exec(QStringLiteral("BEGIN"));
    const QString name = fileName.toUpper();
    if (name == QLatin1String("VOK.MDB")) {
        createTable(db, catalogue());
    } else if (name == QLatin1String("MEMBRES.MDB")) {
        createTable(db, members());
        createTable(db, externalGroups());
    } else if (name == QLatin1String("LEMAVORI.MDB")) {
        createTable(db, pupils());
        createTable(db, classes());
        createTable(db, school());
    } else {
        createTable(db, cotation());
    }
    db.exec(QStringLiteral("COMMIT"));
}

} // namespace karvel::schema
