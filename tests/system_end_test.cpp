// The real program ended by the system instead of its quit window: SIGTERM
// and SIGHUP make the day's three backups, whole, and the program ends well.

#include "platform/sqlite_db.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <iostream>

using namespace karvel;

namespace {

// Whether process `pid` has its own handler for `signal` (the caught set of /proc).
bool catches(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

TEST(SystemEnd, TermAndHangUpMakeTheBackupsAndEndWell) {
    int ended = 0;
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGHUP");
        QTemporaryDir school;
        ASSERT_EQ(QProcess::execute(KARVEL_DEMO_BINARY, {school.path()}), 0);
        const QString data = school.path() + "/LAVOK";

        QProcess karvel;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        karvel.setProcessEnvironment(env);
        karvel.setWorkingDirectory(data);
        karvel.start(KARVEL_BINARY, {});
        ASSERT_TRUE(karvel.waitForStarted(10000));
        QElapsedTimer waited;
        waited.start();
        while (!catches(karvel.processId(), signal) && waited.elapsed() < 20000)
            QThread::msleep(20);
        ASSERT_EQ(::kill(pid_t(karvel.processId()), signal), 0);
        ASSERT_TRUE(karvel.waitForFinished(30000)) << "the program did not end";
        EXPECT_EQ(karvel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(karvel.exitCode(), 0);
        // The notice of the demo school's LAVOK.INI, with nobody to read it.
        EXPECT_TRUE(QString::fromUtf8(karvel.readAllStandardError())
                        .contains("Des copies de sauvegarde ont été créées"));

        const QString dd = QDate::currentDate().toString("dd");
        for (const QString prefix : {"VOK_", "MAV_", "MBRS_"}) {
            const QString backup = data + "/" + prefix + dd + ".BAK";
            ASSERT_TRUE(QFile::exists(backup)) << backup.toStdString();
            EXPECT_EQ(Database(backup, Database::Mode::ReadOnly).integrityCheck(), "ok");
            EXPECT_TRUE(QFile::exists(data + "/" + prefix + dd + ".TXT"));
        }
        EXPECT_EQ(QDir(data).entryList({"*.tmp*", "*-journal"}), QStringList());
        ended += !::testing::Test::HasFailure();
    }
    std::cout << "ended by the system: " << ended
              << " (SIGTERM, SIGHUP; exit 0, three whole backups)" << std::endl;
}

} // namespace
