// The three programs as a terminal sees them, with no display: help and
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
    EXPECT_TRUE(process.waitForFinished(30000)) << program;
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLine, HelpVersionAndWrongOptionsWithoutADisplay) {
    const std::pair<const char*, QString> programs[] = {{KARVEL_BINARY, "karvel"},
                                                        {KARVEL_DEMO_BINARY, "karvel-demo"},
                                                        {KARVEL_CONVERT_TOOL, "karvel-convert"}};
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
