// The standard error message, ExplainError's table, and the repair of
// damaged files: what it recovers and what it never destroys.

#include "data/error_report.h"
#include "data/repair.h"
#include "platform/sqlite_db.h"
#include "test_data.h"

#include <QFile>
#include <gtest/gtest.h>
#include <iostream>

using namespace karvel;
using namespace karvel::test;

namespace {

TEST(StandardError, MessageCaptionIconAndPointer) {
    TestContext t;
    t.dialogs.setBusy(true);
    ShowStandardError(t.ctx, makeError(ErrFileNotFound));
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(t.dialogs.shown[0].caption, "La V.O.K.");
    EXPECT_EQ(t.dialogs.shown[0].text,
              "Le logiciel a rencontré l'erreur : 53\n\nFichier introuvable");
    EXPECT_FALSE(t.dialogs.busy);
    EXPECT_FALSE(RunReportingErrors(t.ctx, [] { throw makeError(ErrDiskFull); }));
    EXPECT_TRUE(RunReportingErrors(t.ctx, [] {}));
    EXPECT_EQ(t.dialogs.shown.size(), 2u);
}

TEST(ExplainError, TableOfNumbers) {
    TestContext t;
    const auto explain = [&](int number, const QString& description = "description") {
        t.dialogs.shown.clear();
        const ErrorOutcome outcome = ExplainError(t.ctx, KarvelError(number, description));
        EXPECT_EQ(outcome, ErrorOutcome::Resume) << number;
        return t.dialogs.shown.empty() ? QString("<rien>") : t.dialogs.shown[0].text;
    };
    EXPECT_EQ(explain(76), "<rien>");
    EXPECT_EQ(explain(61), "Disque saturé");
    EXPECT_EQ(explain(70), "Accès refusé... (Certains fichiers sont peut-être encore ouverts...)");
    EXPECT_EQ(explain(3022),
              "Impossible de créer des doublons... Modifier le numéro d'inventaire !");
    EXPECT_EQ(explain(68), "Unité de stockage non-disponible");
    EXPECT_EQ(explain(7, "Mémoire insuffisante"),
              "L'erreur 7 est survenue .\n(Mémoire insuffisante)");
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Critical);
    EXPECT_EQ(t.dialogs.shown[0].caption, "KarVel pour La V.O.K.");

    t.dialogs.shown.clear();
    EXPECT_EQ(ExplainError(t.ctx, makeError(ErrLockingUnavailable)), ErrorOutcome::EndProgram);
    EXPECT_EQ(t.dialogs.shown[0].text,
              "Pour que «La V.O.K.» puisse fonctionner,\nSHARE /L:500   doit être chargé...");
}

// A members file whose own table is intact and whose other table has damaged pages.
QString damagedMembersFile(SchoolFolder& school) {
    std::vector<Row> members;
    for (int i = 1; i <= 250; ++i)
        members.push_back({{"matricule", QString("%1").arg(i, 5, 10, QChar('0'))},
                           {"nom", QString("Nom%1").arg(i)}});
    SchoolFolder::insert(school.members(), "membres", members);
    std::vector<Row> others;
    for (int i = 1; i <= 3000; ++i)
        others.push_back(
            {{"code", QString::number(i)}, {"libellé", QString(300, QChar('a' + i % 26))}});
    SchoolFolder::insert(school.members(), "extérieurs", others);

    QFile file(school.members());
    EXPECT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 pages = file.size() / 4096;
    for (qint64 page : {pages - 40, pages - 39, pages - 20}) {
        file.seek(page * 4096);
        file.write(QByteArray(4096, '\xa5'));
    }
    file.close();
    return school.members();
}

TEST(Repair, RecoversIntactTablesAndKeepsTheDamagedOriginal) {
    SchoolFolder school;
    const QString path = damagedMembersFile(school);
    QFile original(path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray damagedBytes = original.readAll();
    original.close();

    // Reading the damaged table fails with the number of a damaged database.
    TestContext t;
    RecordView& view = t.ctx.views.externalGroupsLink;
    view.bind(path);
    view.setRecordSource(Queries::table("extérieurs"));
    try {
        view.refresh();
        FAIL() << "damage not seen";
    } catch (const KarvelError& error) {
        EXPECT_EQ(error.number(), ErrDatabaseDamaged);
    }
    view.close();

    const RepairReport report = repairDatabase(path);
    EXPECT_EQ(report.outcome, RepairReport::Outcome::Repaired);
    ASSERT_EQ(report.tables.size(), 2u);
    EXPECT_EQ(report.tables[0].name, "membres");
    EXPECT_EQ(report.tables[0].recovered, 250);
    EXPECT_EQ(report.tables[0].claimed, 250);
    EXPECT_EQ(report.tables[1].claimed, std::nullopt) << "damaged pages cannot be counted";
    QFile kept(report.keptAs);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), damagedBytes) << "the damaged original is kept whole";
    EXPECT_TRUE(report.keptAs.endsWith("MEMBRES.MDB.endommagé"));

    Database repaired(path);
    EXPECT_EQ(repaired.integrityCheck(), "ok");
    auto count = [&](const QString& table) {
        auto stmt = repaired.prepare("SELECT count(*) FROM \"" + table + "\"");
        stmt->step();
        return stmt->integer(0);
    };
    EXPECT_EQ(count("membres"), 250) << "every row of the intact table";
    EXPECT_EQ(count("extérieurs"), report.tables[1].recovered);
    EXPECT_GT(count("extérieurs"), 2900) << "only the rows of the damaged pages are lost";
    EXPECT_LT(count("extérieurs"), 3000);
    auto unique = repaired.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'index'");
    unique->step();
    EXPECT_EQ(unique->integer(0), 1) << "the key's index is rebuilt";
}

TEST(Repair, MissingSkippedSoundJetAndUnreadableFilesLeftAlone) {
    SchoolFolder school;
    EXPECT_EQ(repairDatabase(school.data() + "/ABSENT.MDB").outcome,
              RepairReport::Outcome::Missing);
    EXPECT_EQ(repairDatabase(school.pupilsFile()).outcome, RepairReport::Outcome::Healthy);
    EXPECT_FALSE(QFile::exists(school.pupilsFile() + ".endommagé"));

    QByteArray jet(1024, '\0');
    jet.replace(4, 15, "Standard Jet DB");
    QFile jetFile(school.catalogue());
    ASSERT_TRUE(jetFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    jetFile.write(jet);
    jetFile.close();
    EXPECT_EQ(repairDatabase(school.catalogue()).outcome, RepairReport::Outcome::NotOurs);

    QFile garbage(school.members());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write(QByteArray(4096, 'g'));
    garbage.close();
    EXPECT_EQ(repairDatabase(school.members()).outcome, RepairReport::Outcome::Unrepairable);
    ASSERT_TRUE(garbage.open(QIODevice::ReadOnly));
    EXPECT_EQ(garbage.readAll(), QByteArray(4096, 'g'));
    EXPECT_FALSE(QFile::exists(school.members() + ".endommagé"));
}

TEST(ExplainError, RepairOfferAnsweredYesRepairsTheDataFolderFiles) {
    SchoolFolder school(false);
    damagedMembersFile(school);
    QFile::remove(school.data() + "/COTATION.MDB");
    TestContext t;
    t.ctx.dataFolder = school.data();
    t.ctx.pupilsFolder = school.data();
    t.dialogs.answers = {AnswerOk, AnswerYes, AnswerOk};
    EXPECT_EQ(ExplainError(t.ctx, makeError(ErrDatabaseDamaged, "MEMBRES.MDB")),
              ErrorOutcome::Resume);
    ASSERT_EQ(t.dialogs.shown.size(), 3u) << "damage, question, damage and what was done";
    EXPECT_TRUE(t.dialogs.shown[2].text.startsWith(t.dialogs.shown[0].text + "\n\n"));
    EXPECT_TRUE(t.dialogs.shown[2].text.contains(
        "MEMBRES.MDB : réparé. L'original endommagé est gardé sous le nom MEMBRES.MDB.endommagé.\n"
        "    table membres — lignes récupérées : 250 sur 250 comptées par le fichier endommagé\n"))
        << t.dialogs.shown[2].text.toStdString();
    EXPECT_TRUE(t.dialogs.shown[2].text.contains("VOK.MDB : intact, laissé tel quel."));
    EXPECT_EQ(t.ctx.answer, AnswerYes);
    EXPECT_TRUE(QFile::exists(school.members() + ".endommagé"));
    EXPECT_FALSE(QFile::exists(school.catalogue() + ".endommagé")) << "a sound file is untouched";
    EXPECT_FALSE(QFile::exists(school.data() + "/COTATION.MDB")) << "a missing file is skipped";
    EXPECT_EQ(Database(school.members()).integrityCheck(), "ok");
}

// A catalogue cut at half is repaired from the pages it still has, although
// SQLite cannot read it; a garbage pupils file before it does not stop that
// repair, and is kept as it is while the program ends.
TEST(ExplainError, RepairGoesOnPastAFileItCannotRepair) {
    SchoolFolder school;
    std::vector<Row> documents;
    for (int i = 1; i <= 2000; ++i)
        documents.push_back({{"inventaire", QString("%1").arg(i, 5, 10, QChar('0'))},
                             {"titre", QString("Titre %1 ").arg(i) + QString(60, 'x')}});
    SchoolFolder::insert(school.catalogue(), "vok", documents);
    QFile catalogue(school.catalogue());
    ASSERT_TRUE(catalogue.resize(catalogue.size() / 2));
    QFile pupils(school.pupilsFile());
    ASSERT_TRUE(pupils.open(QIODevice::WriteOnly | QIODevice::Truncate));
    pupils.write(QByteArray(8192, 'g'));
    pupils.close();

    TestContext t;
    t.ctx.dataFolder = school.data();
    t.ctx.pupilsFolder = school.pupils();
    t.dialogs.answers = {AnswerOk, AnswerYes, AnswerOk};
    EXPECT_EQ(ExplainError(t.ctx, makeError(ErrDatabaseDamaged, "VOK.MDB")),
              ErrorOutcome::EndProgram);
    ASSERT_EQ(t.dialogs.shown.size(), 3u);
    const QString& summary = t.dialogs.shown[2].text;
    EXPECT_TRUE(summary.contains("LEMAVORI.MDB : aucune table n'a pu y être lue ; le fichier est "
                                 "laissé tel quel."));
    EXPECT_TRUE(summary.endsWith("KarVel ne peut pas fonctionner sans LEMAVORI.MDB et va "
                                 "s'arrêter : remettez en place une copie de sauvegarde de ce "
                                 "fichier (voir sa note .TXT dans le dossier des données)."));
    ASSERT_TRUE(pupils.open(QIODevice::ReadOnly));
    EXPECT_EQ(pupils.readAll(), QByteArray(8192, 'g'));
    EXPECT_FALSE(QFile::exists(school.pupilsFile() + ".endommagé"));

    Database repaired(school.catalogue());
    EXPECT_EQ(repaired.integrityCheck(), "ok");
    auto count = repaired.prepare("SELECT count(*) FROM vok");
    count->step();
    EXPECT_GT(count->integer(0), 900) << "the rows of the pages left";
    EXPECT_TRUE(summary.contains(QString("    table vok — lignes récupérées : %1 (le fichier "
                                         "endommagé ne permettait plus de les compter)")
                                     .arg(count->integer(0))))
        << summary.toStdString();
    std::cout << "catalogue cut at half: " << count->integer(0) << " of 2000 documents recovered"
              << std::endl;
}

} // namespace
