// Start-up on real files: the folder rules, the bindings, and what a missing,
// foreign or damaged catalogue does.

#include "data/folders.h"
#include "platform/files.h"
#include "shell/startup.h"
#include "test_data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace karvel;
using namespace karvel::test;

namespace {

TEST(Folders, SiblingPupilsFolderOfLavok) {
    SchoolFolder school;
    Folders f = resolveFolders(school.data());
    EXPECT_EQ(f.data, school.data());
    EXPECT_EQ(f.pupils, school.pupils());

    // A trailing separator is dropped; a lower-case name still finds the sibling.
    const QString lower = school.root() + "/lavok";
    ASSERT_TRUE(QDir().rename(school.data(), lower));
    f = resolveFolders(lower + "/");
    EXPECT_EQ(f.data, lower);
    EXPECT_EQ(f.pupils, school.pupils());

    // A sibling whose name came from Windows in lower case is found too.
    ASSERT_TRUE(QDir().rename(school.pupils(), school.root() + "/lemavori"));
    EXPECT_EQ(resolveFolders(lower).pupils, school.root() + "/lemavori");

    // The sibling without the pupils file: the data folder serves.
    ASSERT_TRUE(QFile::remove(school.root() + "/lemavori/LEMAVORI.MDB"));
    EXPECT_EQ(resolveFolders(lower).pupils, lower);
}

TEST(Folders, OtherFolderNamesAndTheRoot) {
    SchoolFolder school;
    const QString biblio = school.root() + "/BIBLIO";
    QDir().mkpath(biblio);
    // Not named LAVOK: the candidate is /LEMAVORI, absent here, so the data folder serves.
    EXPECT_EQ(resolveFolders(biblio).pupils, biblio);
    EXPECT_EQ(resolveFolders("/").data, "") << "the root loses its only separator";
}

class StartupTest : public ::testing::Test {
  protected:
    StartupResult start(bool withSettings = true) {
        StartupHooks hooks;
        if (withSettings)
            hooks.loadSettings = [this] { ++settingsLoads; };
        return RunStartup(t.ctx, school.data(), hooks);
    }
    SchoolFolder school;
    TestContext t;
    int settingsLoads = 0;
};

TEST_F(StartupTest, BindsEveryViewAndStandsOnTheLastDocument) {
    SchoolFolder::insert(school.catalogue(), "vok",
                         {{{"inventaire", "00002"}, {"titre", "Astérix"}},
                          {{"inventaire", "00009"}, {"titre", "Au bonheur des dames"}},
                          {{"inventaire", "00005"}, {"titre", "Le Horla"}}});
    SchoolFolder::insert(school.pupilsFile(), "équipe",
                         {{{"équipenuméro", "02"}}, {{"équipenuméro", "01"}}});
    ASSERT_EQ(start(), StartupResult::ShowMainWindow);
    EXPECT_TRUE(t.dialogs.shown.empty());
    EXPECT_EQ(settingsLoads, 1);
    RecordViews& v = t.ctx.views;
    EXPECT_EQ(v.documentsView.field("inventaire"), "00009");
    EXPECT_EQ(v.classesView.field("équipenuméro"), "01");
    EXPECT_EQ(v.titlesLink.field("titre"), "Astérix") << "titles beginning with a, once each";
    EXPECT_EQ(v.titlesLink.recordCount(), 2);
    EXPECT_TRUE(v.externalGroupsLink.isOpen());
    EXPECT_TRUE(v.schoolLink.isOpen());
    EXPECT_FALSE(v.pupilsView.isOpen()) << "the pupil view is bound, not opened";
    EXPECT_EQ(v.pupilsView.path(), school.pupilsFile());
    EXPECT_FALSE(t.dialogs.busy);
}

TEST_F(StartupTest, EmptyCatalogueAndNoPupilsFileStartQuietly) {
    QFile::remove(school.pupilsFile());
    ASSERT_EQ(start(), StartupResult::ShowMainWindow);
    EXPECT_TRUE(t.dialogs.shown.empty());
    EXPECT_TRUE(t.ctx.views.documentsView.isEmpty());
    EXPECT_FALSE(t.ctx.views.classesView.isOpen());
    EXPECT_EQ(t.ctx.pupilsFolder, school.data());
}

TEST_F(StartupTest, MissingCatalogueEndsWithOneMessageNamingIt) {
    QFile::remove(school.catalogue());
    ASSERT_EQ(start(), StartupResult::EndProgram);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Critical);
    EXPECT_EQ(t.dialogs.shown[0].caption, "KarVel pour La V.O.K.");
    EXPECT_TRUE(t.dialogs.shown[0].text.contains("VOK.MDB"));
    EXPECT_TRUE(t.dialogs.shown[0].text.contains(school.data()));
    EXPECT_EQ(settingsLoads, 0) << "nothing runs after the end";
}

// A catalogue copied twice from Windows under two spellings: neither is
// used, whichever would be the wrong one half the time.
TEST_F(StartupTest, TwinFilesDifferingOnlyInCaseAreRefusedByName) {
    ASSERT_TRUE(QFile::copy(school.catalogue(), school.data() + "/vok.mdb"));
    EXPECT_EQ(start(), StartupResult::EndProgram);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Critical);
    EXPECT_EQ(t.dialogs.shown[0].text,
              "Le dossier « " + school.data() +
                  " » contient deux fichiers dont les noms ne diffèrent que par les majuscules : "
                  "« VOK.MDB » et « vok.mdb ».\nKarVel ne peut pas savoir lequel utiliser : "
                  "renommez ou déplacez l'un des deux, puis relancez KarVel.");
    EXPECT_EQ(settingsLoads, 0);

    // The same in the pupils folder, with neither spelt as expected.
    ASSERT_TRUE(QFile::remove(school.data() + "/vok.mdb"));
    ASSERT_TRUE(QFile::rename(school.pupilsFile(), school.pupils() + "/Lemavori.mdb"));
    ASSERT_TRUE(QFile::copy(school.pupils() + "/Lemavori.mdb", school.pupils() + "/lemavori.MDB"));
    t.dialogs.shown.clear();
    EXPECT_EQ(start(), StartupResult::EndProgram);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.contains("« " + school.pupils() + " »"));
}

// Folders whose names came from an old disk in Latin-1: the bytes are not
// UTF-8, and the files in them are still found, pupils folder included.
TEST_F(StartupTest, FolderNamesThatAreNotUtf8) {
    const QByteArray latin1 = QFile::encodeName(school.root()) + "/Biblioth\xe8que";
    ASSERT_EQ(::mkdir(latin1.constData(), 0755), 0);
    const QByteArray data = latin1 + "/LAVOK";
    ASSERT_EQ(::rename(QFile::encodeName(school.data()).constData(), data.constData()), 0);
    ASSERT_EQ(::rename(QFile::encodeName(school.pupils()).constData(),
                       (latin1 + "/LEMAVORI").constData()),
              0);
    const QString before = QDir::currentPath();
    ASSERT_EQ(::chdir(data.constData()), 0);
    const StartupResult result = RunStartup(t.ctx, currentFolder(), {});
    EXPECT_TRUE(QFileInfo::exists(t.ctx.dataFolder + "/VOK.MDB"));
    EXPECT_TRUE(QFileInfo::exists(t.ctx.pupilsFolder + "/LEMAVORI.MDB"));
    ASSERT_TRUE(QDir::setCurrent(before));
    EXPECT_EQ(result, StartupResult::ShowMainWindow);
    EXPECT_TRUE(t.dialogs.shown.empty());
    EXPECT_TRUE(t.ctx.views.classesView.isOpen()) << "the sibling pupils folder serves";

    // The data folder's own name not UTF-8 either: its files are still reached.
    const QByteArray own = latin1 + "/Pr\xeat";
    ASSERT_EQ(::rename(data.constData(), own.constData()), 0);
    ASSERT_EQ(::chdir(own.constData()), 0);
    const QString folder = currentFolder();
    ASSERT_TRUE(QDir::setCurrent(before));
    EXPECT_FALSE(folder.contains(QChar::ReplacementCharacter));
}

// Started in a data folder reached through a link: the pupils folder is the
// sibling of the link, where the shell says the user is.
TEST_F(StartupTest, DataFolderThroughALinkFindsTheLinksSibling) {
    const QString elsewhere = school.root() + "/../disque/donnees";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().rename(school.data(), elsewhere + "/LAVOK"));
    ASSERT_TRUE(QFile::link(elsewhere + "/LAVOK", school.data()));
    const QString before = QDir::currentPath();
    const QByteArray pwd = qgetenv("PWD");
    ASSERT_TRUE(QDir::setCurrent(school.data()));
    qputenv("PWD", QFile::encodeName(school.data()));
    const QString folder = currentFolder();
    qputenv("PWD", pwd);
    ASSERT_TRUE(QDir::setCurrent(before));
    EXPECT_EQ(folder, school.data());
    EXPECT_EQ(RunStartup(t.ctx, folder, {}), StartupResult::ShowMainWindow);
    EXPECT_EQ(t.ctx.pupilsFolder, school.pupils());
}

TEST_F(StartupTest, JetCatalogueIsRefusedUntouched) {
    QFile::remove(school.catalogue());
    QByteArray jet(2048, '\0');
    jet.replace(4, 15, "Standard ACE DB");
    QFile file(school.catalogue());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(jet);
    file.close();

    ASSERT_EQ(start(), StartupResult::EndProgram);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.contains("converti"));
    EXPECT_EQ(QDir(school.data()).entryList(QDir::Files).size(), 3) << "no copy, no repair";
    QFile again(school.catalogue());
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), jet);
}

TEST_F(StartupTest, DamagedCatalogueRefusedRepairEndsTheProgram) {
    QFile file(school.catalogue());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, '\x5a'));
    file.close();
    t.dialogs.answers = {AnswerOk, AnswerNo};
    ASSERT_EQ(start(), StartupResult::EndProgram);
    ASSERT_EQ(t.dialogs.shown.size(), 2u);
    EXPECT_EQ(t.dialogs.shown[0].text, "Certains fichiers sont endommagés ou corrompus !!!\n"
                                       "(...suite à une opération d'écriture incomplète...)");
    EXPECT_EQ(t.dialogs.shown[1].text, "Voulez-vous que «La V.O.K.» essaie de les réparer ?");
    EXPECT_EQ(t.ctx.answer, AnswerNo);
}

// A catalogue of no bytes (a copy cut short) is a damaged file, not an empty
// catalogue to run on: nothing can be recovered, so start-up ends in one
// message after the repair, the file left as it was.
TEST_F(StartupTest, EmptyCatalogueCannotBeRepairedAndEndsTheProgram) {
    QFile file(school.catalogue());
    ASSERT_TRUE(file.resize(0));
    t.dialogs.answers = {AnswerOk, AnswerYes, AnswerOk};
    ASSERT_EQ(start(), StartupResult::EndProgram);
    ASSERT_EQ(t.dialogs.shown.size(), 3u);
    EXPECT_TRUE(t.dialogs.shown[2].text.contains(
        "VOK.MDB : aucune table n'a pu y être lue ; le fichier est laissé tel quel."));
    EXPECT_TRUE(t.dialogs.shown[2].text.contains("KarVel ne peut pas fonctionner sans VOK.MDB"));
    EXPECT_EQ(QFileInfo(school.catalogue()).size(), 0);
    EXPECT_FALSE(QFile::exists(school.catalogue() + ".endommagé"));
}

} // namespace
