// Another program at work on the school's files, as the companion product is
// while the loan desk runs.
//
// faults_other_program lock FILE exclusive|shared
//   Holds the file's lock (exclusive: nobody reads or writes; shared: nobody
//   writes) from "locked" on stdout until stdin closes.
// faults_other_program write CATALOGUE FIRST_NUMBER PAUSE_US
//   Until stdin closes: changes the titles of documents 00001 to 02000 and
//   adds documents numbered from FIRST_NUMBER, pausing PAUSE_US microseconds
//   between changes. Prints
//   "T number<TAB>title" or "A number<TAB>title" once each change is
//   committed, "B description" for a change given up, then "end".
// faults_other_program quit DATA_FOLDER DAY
//   Another desk quitting: prints "ready", and once stdin closes makes the
//   backups of quitting on DAY (yyyy-mm-dd), then prints each message it
//   showed on a line of its own ("M" and the text), then "end".

#include "data/backups.h"
#include "data/folders.h"
#include "desk/app_context.h"
#include "fixed_clock.h"
#include "platform/sqlite_db.h"
#include "recording_printer.h"
#include "scripted_dialogs.h"

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <iostream>
#include <random>
#include <sqlite3.h>
#include <thread>
#include <vector>

using namespace karvel;

namespace {

void waitForStdinToClose() {
    while (std::cin.get() != std::char_traits<char>::eof()) {
    }
}

int holdLock(const QString& path, bool exclusive) {
    Database db(path);
    if (exclusive) {
        db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    } else {
        // A read transaction keeps its shared lock until it ends.
        db.exec(QStringLiteral("BEGIN"));
        db.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    }
    std::cout << "locked" << std::endl;
    waitForStdinToClose();
    db.exec(QStringLiteral("ROLLBACK"));
    return 0;
}

int write(const QString& path, int firstNumber, int pauseUs) {
    std::atomic<bool> stop = false;
    std::thread watcher([&] {
        waitForStdinToClose();
        stop = true;
    });
    Database db(path);
    auto update = db.prepare(QStringLiteral("UPDATE vok SET titre = ?1 WHERE inventaire = ?2"));
    auto insert = db.prepare(
        QStringLiteral("INSERT INTO vok (inventaire, titre, auteur, éditeur, emprunt, emprunté, "
                       "cumul) VALUES (?1, ?2, 'AUTRE Programme', 'Éditions du Pont', 'O', 'N', "
                       "'000')"));
    std::mt19937_64 random(firstNumber);
    auto anyDocument = [&] {
        return QStringLiteral("%1").arg(1 + int(random() % 2000), 5, 10, QLatin1Char('0'));
    };
    int added = 0;
    for (int i = 0; !stop; ++i) {
        // Titles alone, two titles saved together, or a new document.
        std::vector<std::pair<QString, QString>> titles;
        QString number, title;
        if (i % 3 == 2) {
            number = QString::number(firstNumber + added);
            title = QStringLiteral("Nouveauté ") + QString::number(i);
        } else {
            for (int n = i % 10 == 0 ? 2 : 1; n > 0; --n)
                titles.emplace_back(anyDocument(),
                                    QStringLiteral("Titre revu %1.%2").arg(i).arg(n));
        }
        try {
            if (titles.empty()) {
                insert->reset();
                insert->bind(1, number).bind(2, title);
                insert->run();
                ++added;
                std::cout << "A " << number.toStdString() << '\t' << title.toStdString()
                          << std::endl;
            } else {
                if (titles.size() > 1)
                    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
                for (const auto& [document, text] : titles) {
                    update->reset();
                    update->bind(1, text).bind(2, document);
                    update->run();
                }
                if (titles.size() > 1)
                    db.exec(QStringLiteral("COMMIT"));
                for (const auto& [document, text] : titles)
                    std::cout << "T " << document.toStdString() << '\t' << text.toStdString()
                              << std::endl;
            }
        } catch (const KarvelError& error) {
            if (titles.size() > 1 && !sqlite3_get_autocommit(db.handle()))
                db.exec(QStringLiteral("ROLLBACK"));
            std::cout << "B " << error.what() << std::endl;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
    }
    watcher.join();
    std::cout << "end" << std::endl;
    return 0;
}

int quit(const QString& folder, const QDate& day) {
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(day, QTime(17, 30)));
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx(dialogs, clock, files, printer);
    const Folders folders = resolveFolders(folder);
    ctx.dataFolder = folders.data;
    ctx.pupilsFolder = folders.pupils;
    std::cout << "ready" << std::endl;
    waitForStdinToClose();
    MakeBackups(ctx);
    for (const ShownMessage& m : dialogs.shown)
        std::cout << "M "
                  << QString(m.text).replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString()
                  << std::endl;
    std::cout << "end" << std::endl;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args[1] == QLatin1String("lock"))
            return holdLock(args[2], args[3] == QLatin1String("exclusive"));
        if (args.size() == 5 && args[1] == QLatin1String("write"))
            return write(args[2], args[3].toInt(), args[4].toInt());
        if (args.size() == 4 && args[1] == QLatin1String("quit"))
            return quit(args[2], QDate::fromString(args[3], Qt::ISODate));
    } catch (const KarvelError& error) {
        std::cerr << error.what() << std::endl;
        return 1;
    }
    std::cerr << "usage: faults_other_program lock FILE exclusive|shared | write CATALOGUE "
                 "FIRST_NUMBER PAUSE_US | quit DATA_FOLDER DAY"
              << std::endl;
    return 2;
}
