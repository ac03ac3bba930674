// The programs as a terminal sees them, with no display: help and
// version in French, a wrong option refused; and the folder start-up works in.

#include "shell/data_folder_choice.h"
#include "test_data.h"

#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

struct Outcome {
    int exitCode;
    QString out;
    QString err;
};

Outcome run(const char* program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QString::fromUtf8(program), arguments);
    process.closeWriteChannel(); // nobody at the terminal
    EXPECT_TRUE(process.waitForFinished(30000)) << program;
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLine, HelpVersionAndWrongOptionsWithoutADisplay) {
    const std::pair<const char*, QString> programs[] = {{KARVEL_BINARY, "karvel"},
                                                        {KARVEL_DEMO_BINARY, "karvel-demo"},
                                                        {KARVEL_CONVERT_TOOL, "karvel-convert"},
                                                        {KARVEL_IMPORT_TOOL, "karvel-import"}};
    for (const auto& [path, name] : programs) {
        const Outcome help = run(path, {"--help"});
        EXPECT_EQ(help.exitCode, 0) << path;
        EXPECT_TRUE(help.out.startsWith("Usage : " + name + " ")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains("affiche la version")) << path;
        EXPECT_EQ(run(path, {"-h"}).out, help.out);

        const Outcome version = run(path, {"--version"});
        EXPECT_EQ(version.exitCode, 0) << path;
        EXPECT_EQ(version.out, name + " " + KARVEL_VERSION + "\n");

        const Outcome wrong = run(path, {"--bogus"});
        EXPECT_EQ(wrong.exitCode, 2) << path;
        EXPECT_TRUE(wrong.out.isEmpty());
        EXPECT_EQ(wrong.err, name + " : option inconnue : --bogus.\n" + help.out);
    }
    EXPECT_EQ(run(KARVEL_DEMO_BINARY, {"--documents"}).err.section('\n', 0, 0),
              "karvel-demo : il manque la valeur d'une option.");
}

// karvel-import writes nothing while a line is bad or the question is not
// answered yes; --sauter-lignes-fautives and --oui let it through.
TEST(CommandLine, ImportRefusesThenImports) {
    SchoolFolder school;
    const QString csv = school.root() + "/rentree.csv";
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("nom;prenom;classe\nRoux;In\xC3\xA8s;01\n;Sans nom;01\n");
    file.close();
    const QStringList base = {"eleves", csv, "--dossier", school.data()};
    const QByteArray before = contents(school.pupilsFile());

    const Outcome bad = run(KARVEL_IMPORT_TOOL, base);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.out.contains("  ligne 3 : nom absent")) << bad.out.toStdString();
    EXPECT_TRUE(bad.err.startsWith("Rien n'a été importé")) << bad.err.toStdString();
    // No answer on the terminal is no.
    EXPECT_EQ(run(KARVEL_IMPORT_TOOL, base + QStringList{"--sauter-lignes-fautives"}).exitCode, 1);
    EXPECT_EQ(contents(school.pupilsFile()), before);

    const Outcome done =
        run(KARVEL_IMPORT_TOOL, base + QStringList{"--sauter-lignes-fautives", "--oui"});
    EXPECT_EQ(done.exitCode, 0) << done.err.toStdString();
    EXPECT_EQ(
        SchoolFolder::value(school.pupilsFile(), "enfants", "matricule", "00001", "prénomenfant"),
        "Inès");
    EXPECT_EQ(run(KARVEL_IMPORT_TOOL, {"membres", csv}).exitCode, 2);
}

TEST(CommandLine, DataFolderNamedFoundOrRemembered) {
    SchoolFolder school;
    const QString empty = QDir(school.root()).absolutePath();
    // clang-format off
    const struct { QString argument, current, remembered, chosen; } rows[] = {
        /* 1 */ {school.data(), empty, QString(), school.data()},   // named: taken as it is
        /* 2 */ {QString(), school.data(), empty, school.data()},   // started in the data folder
        /* 3 */ {QString(), empty, school.data(), school.data()},   // from a menu: chosen before
        /* 4 */ {QString(), empty, empty, QString()},               // nothing holds VOK.MDB: ask
        /* 5 */ {QString(), empty, QString(), QString()},
    };
    // clang-format on
    int n = 0;
    for (const auto& row : rows)
        EXPECT_EQ(chooseDataFolder(row.argument, row.current, row.remembered), row.chosen)
            << "row " << ++n;
}

} // namespace
