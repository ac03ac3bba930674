// KARVEL.INI and LAVOK.INI on real files: the value syntax, the positional
// reads with their end-of-file defaults, the first run, and failures that
// must keep the old file.

#include "data/settings.h"
#include "test_data.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

const QByteArray kDefaultFile =
    "\"0\"\r\n\"0\"\r\n\"0\"\r\n\"0\"\r\n\"210\"\r\n\"297\"\r\n\"4\"\r\n"
    "\"2\"\r\n\"8\"\r\n\"\"\r\n";

// A school whose data folder holds no settings file yet.
struct Settings : ::testing::Test {
    SchoolFolder school;
    TestContext t;
    Settings() { t.ctx.dataFolder = school.data(); }
    QString ours() const { return school.data() + "/KARVEL.INI"; }
    QString companion() const { return school.data() + "/LAVOK.INI"; }
    QStringList messages() const {
        QStringList texts;
        for (const ShownMessage& m : t.dialogs.shown)
            texts << m.text;
        return texts;
    }
};

TEST_F(Settings, FirstRunWritesTheDefaultsWithAnEmptyTenthLine) {
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(readFile(ours()), kDefaultFile);
    EXPECT_EQ(t.ctx.layout, LayoutFields{});
    EXPECT_EQ(t.ctx.layout.rows, "8");
    EXPECT_EQ(t.ctx.layout.columns, "2");
    // Without LAVOK.INI the limits stay empty and the backup notice off.
    EXPECT_EQ(t.ctx.loanLimits, LoanLimitFields{});
    EXPECT_EQ(t.ctx.BackupNotice, "");
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST_F(Settings, FirstRunWithCompanionFileStillWritesAnEmptyTenthLine) {
    writeFile(companion(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n21\r\n3\r\n2\r\non\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    // The switch was still empty when the file was first written.
    EXPECT_EQ(readFile(ours()), kDefaultFile);
    EXPECT_EQ(t.ctx.BackupNotice, "on");
    EXPECT_EQ(t.ctx.loanLimits.pupilLimit, "3");
}

TEST_F(Settings, ValueSyntax) {
    // Bare values, blanks before values, LF-only lines and a lower-case name.
    writeFile(school.data() + "/karvel.ini", "0\r\n  0\r\n\t0\n0\r\n210\r\n297\r\n4\r\n2\r\n8\r\n");
    t.ctx.layout.topMargin = "x";
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.layout, LayoutFields{});
    // Saving keeps the file's own spelling rather than adding a second file.
    EXPECT_TRUE(SaveSettings(t.ctx));
    EXPECT_EQ(QDir(school.data()).entryList({"*.ini", "*.INI"}), QStringList{"karvel.ini"});
    EXPECT_EQ(readFile(school.data() + "/karvel.ini"), kDefaultFile);

    // A quoted value holds commas; what trails its closing quote is dropped;
    // a comma after a bare value ends it; an empty line is an empty value.
    writeFile(school.data() + "/karvel.ini",
              "\"1,5\"\r\n \"2\" junk\r\n3 ,4\r\n\r\n\"6\"\r\n7\r\n8\r\n9\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.layout.topMargin, "1,5");
    EXPECT_EQ(t.ctx.layout.bottomMargin, "2");
    EXPECT_EQ(t.ctx.layout.leftMargin, "3 ");
    EXPECT_EQ(t.ctx.layout.rightMargin, "4");
    EXPECT_EQ(t.ctx.layout.sheetWidth, "");
    EXPECT_EQ(t.ctx.layout.sheetHeight, "6");
    EXPECT_EQ(t.ctx.layout.amplitude, "7");
    EXPECT_EQ(t.ctx.layout.columns, "8");
    EXPECT_EQ(t.ctx.layout.rows, "9");
}

TEST_F(Settings, CommaOnFirstLineShiftsEveryLaterValue) {
    writeFile(ours(), "10,5\r\n\"0\"\r\n\"0\"\r\n\"0\"\r\n\"210\"\r\n\"297\"\r\n\"4\"\r\n\"2\"\r\n"
                      "\"8\"\r\n\"on\"\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    const LayoutFields& f = t.ctx.layout;
    EXPECT_EQ(QStringList({f.topMargin, f.bottomMargin, f.leftMargin, f.rightMargin, f.sheetWidth,
                           f.sheetHeight, f.amplitude, f.columns, f.rows}),
              QStringList({"10", "5", "0", "0", "0", "210", "297", "4", "2"}));
}

TEST_F(Settings, CompanionFileOfSevenValuesTakesTheDefaults) {
    writeFile(ours(), kDefaultFile);
    t.ctx.loanLimits = {"3", "2", "30"};
    writeFile(companion(), "\"a\"\r\n\"b\"\r\n\"c\"\r\n\"d\"\r\n\"e\"\r\n\"f\"\r\n\"g\"\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.loanLimits.maxLoanDays, "15");
    EXPECT_EQ(t.ctx.loanLimits.pupilLimit, "");
    EXPECT_EQ(t.ctx.loanLimits.memberLimit, "");
    EXPECT_EQ(t.ctx.BackupNotice, "on");

    // Six values: the seventh is taken as empty and the defaults follow.
    writeFile(companion(), "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n");
    t.ctx.loanLimits = {"3", "2", "30"};
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.loanLimits, (LoanLimitFields{"", "", "15"}));
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST_F(Settings, CompanionFileOfElevenValues) {
    writeFile(ours(), kDefaultFile);
    writeFile(companion(),
              "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n\"21\"\r\n\"3\"\r\n\"0\"\r\nOFF\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.loanLimits.maxLoanDays, "21"); // duration
    EXPECT_EQ(t.ctx.loanLimits.pupilLimit, "3");   // pupils
    EXPECT_EQ(t.ctx.loanLimits.memberLimit, "0");  // external members
    EXPECT_EQ(t.ctx.BackupNotice, "OFF");

    writeFile(companion(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n21\r\n3\r\n0\r\nON\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.BackupNotice, "ON");

    // Ten values: the switch defaults to on.
    writeFile(companion(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n21\r\n3\r\n0\r\n");
    t.ctx.BackupNotice = "off";
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.BackupNotice, "on");
}

TEST_F(Settings, TenthLineIsWrittenFromTheCompanionButNeverReadBack) {
    writeFile(ours(), kDefaultFile);
    writeFile(companion(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n15\r\n2\r\n2\r\nOFF\r\n");
    ASSERT_TRUE(LoadSettings(t.ctx));
    t.ctx.layout.amplitude = "5";
    EXPECT_TRUE(SaveSettings(t.ctx));
    EXPECT_TRUE(readFile(ours()).endsWith("\"5\"\r\n\"2\"\r\n\"8\"\r\n\"OFF\"\r\n"));

    // The next run takes the switch from LAVOK.INI again...
    writeFile(companion(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n15\r\n2\r\n2\r\non\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.BackupNotice, "on");
    // ...and without LAVOK.INI it keeps what it had, never line 10.
    ASSERT_TRUE(QFile::remove(companion()));
    TestContext fresh;
    fresh.ctx.dataFolder = school.data();
    EXPECT_TRUE(LoadSettings(fresh.ctx));
    EXPECT_EQ(fresh.ctx.BackupNotice, "");
    EXPECT_EQ(fresh.ctx.layout.amplitude, "5");
    EXPECT_TRUE(fresh.dialogs.shown.empty());
}

TEST_F(Settings, LegacyWindows1252FilesAreReadAndRewrittenAsUtf8) {
    writeFile(ours(), "\"1\xe9\"\r\n\"0\"\r\n\"0\"\r\n\"0\"\r\n\"210\"\r\n\"297\"\r\n\"4\"\r\n"
                      "\"2\"\r\n\"8\"\r\n\"\"\r\n");
    writeFile(companion(), "\"Biblioth\xe8que \x80\"\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n15\r\n"
                           "\"\xe9l\xe8ve\"\r\n2\r\non\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.layout.topMargin, "1é");
    EXPECT_EQ(t.ctx.loanLimits.pupilLimit, "élève");
    EXPECT_TRUE(SaveSettings(t.ctx));
    EXPECT_TRUE(readFile(ours()).startsWith("\"1\xc3\xa9\"\r\n"));
    EXPECT_EQ(t.ctx.layout.topMargin, "1é");
    // A byte-order mark from a Windows editor does not hide the first quote.
    writeFile(ours(), "\xef\xbb\xbf\"7\"\r\n0\r\n0\r\n0\r\n210\r\n297\r\n4\r\n2\r\n8\r\n");
    EXPECT_TRUE(LoadSettings(t.ctx));
    EXPECT_EQ(t.ctx.layout.topMargin, "7");
}

TEST_F(Settings, ShortFilesStopAtTheFailureAndKeepWhatWasRead) {
    writeFile(ours(), "\"5\"\r\n\"6\"\r\n\"7\"\r\n");
    writeFile(companion(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n21\r\n3\r\n0\r\non\r\n");
    t.dialogs.setBusy(true);
    EXPECT_FALSE(LoadSettings(t.ctx));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("Le logiciel a rencontré l'erreur : 62\n\n"))
        << messages()[0].toStdString();
    EXPECT_EQ(t.dialogs.shown[0].caption, "La V.O.K.");
    EXPECT_FALSE(t.dialogs.busy);
    EXPECT_EQ(t.ctx.layout.leftMargin, "7");
    EXPECT_EQ(t.ctx.layout.rightMargin, "0");
    EXPECT_EQ(t.ctx.layout.sheetWidth, "210");
    // The failure stopped the procedure before LAVOK.INI.
    EXPECT_EQ(t.ctx.loanLimits, LoanLimitFields{});

    // A companion file that ends between values 8 and 10.
    writeFile(ours(), kDefaultFile);
    writeFile(companion(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n21\r\n3\r\n");
    t.ctx.loanLimits = {"9", "9", "9"};
    t.dialogs.shown.clear();
    EXPECT_FALSE(LoadSettings(t.ctx));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("Le logiciel a rencontré l'erreur : 62\n\n"));
    EXPECT_EQ(t.ctx.loanLimits, (LoanLimitFields{"3", "9", "21"}));
    EXPECT_EQ(t.ctx.layout.leftMargin, "0");
}

// Every file is written whole, then fails to take its name.
class FailingRename final : public FileSystem {
  public:
    void rename(const QString&, const QString& to) override { throw errorFromErrno(EIO, to); }
};

TEST_F(Settings, FailedSaveShowsTheStandardMessageAndKeepsTheOldFile) {
    const QByteArray old = "\"5\"\r\n\"0\"\r\n\"0\"\r\n\"0\"\r\n\"210\"\r\n\"297\"\r\n\"4\"\r\n"
                           "\"2\"\r\n\"8\"\r\n\"on\"\r\n";
    writeFile(ours(), old);
    ASSERT_TRUE(LoadSettings(t.ctx));
    // The new file is written, then cannot take the old one's name.
    FailingRename disk;
    AppContext ctx(t.dialogs, t.clock, disk, t.printer);
    ctx.dataFolder = school.data();
    ctx.layout = t.ctx.layout;
    ctx.layout.topMargin = "12";
    t.dialogs.setBusy(true);
    EXPECT_FALSE(SaveSettings(ctx));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("Le logiciel a rencontré l'erreur : "));
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Exclamation);
    EXPECT_FALSE(t.dialogs.busy);
    EXPECT_EQ(readFile(ours()), old);
    EXPECT_EQ(QDir(school.data()).entryList({"*.tmp"}), QStringList()) << "nothing half-made left";
    // Not reloaded: the typed value is still the live one.
    EXPECT_EQ(ctx.layout.topMargin, "12");
}

// The data folder of a read-only disk: every file written fails as the system would.
class ReadOnlyDisk : public FileSystem {
  public:
    void writeAtomically(const QString& path, const QByteArray&) override {
        throw errorFromErrno(EROFS, path + ".tmp");
    }
};

TEST_F(Settings, ReadOnlyDataFolder) {
    ReadOnlyDisk disk;
    AppContext ctx(t.dialogs, t.clock, disk, t.printer);
    ctx.dataFolder = school.data();
    writeFile(companion(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n21\r\n3\r\n0\r\non\r\n");

    // First run: the file cannot be created; the defaults stay and LAVOK.INI is still read.
    EXPECT_TRUE(LoadSettings(ctx));
    EXPECT_EQ(messages(),
              QStringList{"Le logiciel a rencontré l'erreur : 70\n\nPermission refusée"});
    EXPECT_EQ(readFile(ours()), "<absent>");
    EXPECT_EQ(ctx.layout, LayoutFields{});
    EXPECT_EQ(ctx.loanLimits.pupilLimit, "3");

    writeFile(ours(), kDefaultFile);
    ctx.layout.bottomMargin = "15";
    t.dialogs.shown.clear();
    EXPECT_FALSE(SaveSettings(ctx));
    EXPECT_EQ(messages(),
              QStringList{"Le logiciel a rencontré l'erreur : 70\n\nPermission refusée"});
    EXPECT_EQ(readFile(ours()), kDefaultFile);
}

} // namespace
