// The standard error message, ExplainError's table, and the repair of
// damaged files: what it recovers and what it never destroys.

#include "data/error_report.h"
#include "data/repair.h"
#include "platform/sqlite_db.h"
#include "test_data.h"

#include <QFile>
#include <gtest/gtest.h>

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
    RecordView& view = t.ctx.views.Donnée6;
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
    EXPECT_GE(report.unreadableStretches, 1);
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
    EXPECT_GT(count("extérieurs"), 2900) << "only the rows of the damaged pages are lost";
    EXPECT_LT(count("extérieurs"), 3000);
    auto unique = repaired.prepare("SELECT count(*) FROM sqlite_master WHERE type = 'index'");
    unique->step();
    EXPECT_EQ(unique->integer(0), 1) << "the key's index is rebuilt";
}

TEST(Repair, MissingSkippedJetAndUnreadableFilesLeftAlone) {
    SchoolFolder school;
    EXPECT_EQ(repairDatabase(school.data() + "/ABSENT.MDB").outcome,
              RepairReport::Outcome::Missing);

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
    EXPECT_THROW(repairDatabase(school.members()), KarvelError);
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
    ASSERT_EQ(t.dialogs.shown.size(), 3u) << "damage, question, damage again";
    EXPECT_EQ(t.dialogs.shown[2].text, t.dialogs.shown[0].text);
    EXPECT_EQ(t.ctx.answer, AnswerYes);
    EXPECT_TRUE(QFile::exists(school.members() + ".endommagé"));
    EXPECT_TRUE(QFile::exists(school.catalogue() + ".endommagé")) << "every file is rebuilt";
    EXPECT_FALSE(QFile::exists(school.data() + "/COTATION.MDB")) << "a missing file is skipped";
    EXPECT_EQ(Database(school.members()).integrityCheck(), "ok");
}

} // namespace
