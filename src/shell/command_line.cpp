#include "shell/command_line.h"

#include "shell/version.h"

#include <QFile>
#include <cstdio>

namespace karvel {

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

void printOut(const QString& text) {
    print(stdout, text);
}

void printError(const QString& text) {
    print(stderr, text);
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    return arguments;
}

std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    const QString& program, const QString& usage) {
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    if (!parser.parse(arguments)) {
        // Qt's own reasons are English: the program says its own.
        const QStringList unknown = parser.unknownOptionNames();
        const QString reason =
            unknown.isEmpty()
                ? QStringLiteral("il manque la valeur d'une option.")
                : QStringLiteral("option inconnue : %1%2.")
                      .arg(unknown[0].size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                           unknown[0]);
        printError(program + QStringLiteral(" : ") + reason + QLatin1Char('\n') + usage);
        return 2;
    }
    if (parser.isSet(help)) {
        printOut(usage);
        return 0;
    }
    if (parser.isSet(version)) {
        printOut(program + QLatin1Char(' ') + programVersion().toString() + QLatin1Char('\n'));
        return 0;
    }
    return std::nullopt;
}

} // namespace karvel
