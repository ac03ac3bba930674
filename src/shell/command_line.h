#pragma once
// The command-line conventions every KarVel program keeps: --help and
// --version answered in French on standard output without a display, a
// wrong option refused with the usage on standard error.

#include <QCommandLineParser>
#include <QStringList>
#include <optional>

namespace karvel {

// Parses `arguments` (the program's name first) with `parser`, which holds
// the program's own options. --help (-h) prints `usage`; --version prints
// "program version": both give exit code 0. An unknown option or one
// without its value prints "program : reason" and `usage` on standard error
// and gives 2. Nothing when the program goes on.
std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    const QString& program, const QString& usage);

// The arguments of main() as text, before any Qt application exists.
QStringList argumentsOf(int argc, char** argv);

// Writes on standard output or error at once.
void printOut(const QString& text);
void printError(const QString& text);

} // namespace karvel
