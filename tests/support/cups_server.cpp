#include "cups_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace karvel::test {

namespace {

constexpr auto kCupsd = "/usr/sbin/cupsd";
constexpr auto kBackendConfigFolder = "/etc/cups";

bool writeText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

CupsServer::CupsServer() {
    if (!QFile::exists(kCupsd)) {
        failure_ = QStringLiteral("cupsd is not installed (Debian package cups-daemon)");
        return;
    }
    const QString d = dir_.path();
    // The filters run as the server's user, which must reach the spool.
    QFile::setPermissions(d, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                 QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                 QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                 QFileDevice::ExeOther);
    for (const char* sub : {"root", "spool", "cache", "state", "tmp", "log", "out"})
        QDir(d).mkdir(QString::fromLatin1(sub));
    // The filters, run as the server's user, write their temporary files and
    // the queues' output there.
    for (const QString& open : {d + "/tmp", output()})
        QFile::setPermissions(open, QFileDevice::Permissions(0x7777));

    // As root cupsd refuses to run its filters as root: they run as lp, the
    // account Debian's own server uses. As anyone else they run as that user.
    QString identity;
    if (::geteuid() == 0)
        identity = QStringLiteral("User lp\nGroup lp\nSystemGroup root\n");
    else if (const group* g = ::getgrgid(::getegid()))
        identity = QStringLiteral("SystemGroup %1\n").arg(QString::fromLocal8Bit(g->gr_name));
    const QString files = QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\n"
                                         "CacheDir %1/cache\nStateDir %1/state\nTempDir %1/tmp\n"
                                         "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                         "PageLog %1/log/page_log\nPrintcap %1/printcap\n"
                                         "FileDevice Yes\n")
                              .arg(d) +
                          identity;
    // Anyone on the socket may do anything: the server lives for one test.
    const QString conf = QStringLiteral("Listen %1\nLogLevel info\nWebInterface No\n"
                                        "Browsing No\nDefaultAuthType None\nErrorPolicy abort-job\n"
                                        "<Location />\n  Order allow,deny\n  Allow all\n"
                                        "</Location>\n<Policy default>\n  <Limit All>\n"
                                        "    Order deny,allow\n  </Limit>\n</Policy>\n")
                             .arg(socket());
    if (!writeText(d + "/cups-files.conf", files) || !writeText(d + "/cupsd.conf", conf)) {
        failure_ = QStringLiteral("cannot write the server's configuration in ") + d;
        return;
    }
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    cupsd_.start(kCupsd, {"-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"});
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (cupsd_.state() == QProcess::NotRunning) {
            cupsd_.waitForFinished(100);
            failure_ = QStringLiteral("cupsd stopped: ") +
                       QString::fromLocal8Bit(cupsd_.readAll()) + log();
            return;
        }
        QProcess status;
        status.setProcessEnvironment(clientEnvironment());
        status.start("lpstat", {"-r"});
        status.waitForFinished(5000);
        if (status.exitCode() == 0 && status.readAll().contains("is running"))
            return;
        QThread::msleep(100);
    }
    failure_ = QStringLiteral("cupsd did not answer on ") + socket();
}

QProcessEnvironment CupsServer::clientEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CUPS_SERVER", socket());
    return env;
}

CupsServer::~CupsServer() {
    if (cupsd_.state() != QProcess::NotRunning) {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000))
            cupsd_.kill();
        cupsd_.waitForFinished(5000);
    }
    for (const QString& config : backendConfigs_)
        QFile::remove(config);
}

void CupsServer::run(const QString& command, const QStringList& arguments) {
    QProcess p;
    p.setProcessEnvironment(clientEnvironment());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command, arguments);
    ASSERT_TRUE(p.waitForFinished(30000)) << command.toStdString();
    ASSERT_EQ(p.exitCode(), 0) << command.toStdString() << ": " << p.readAll().toStdString();
}

bool CupsServer::addPdfQueue(const QString& name, int dpi) {
    // cups-pdf needs root, and finds its output folder in a file of its own
    // named after the last part of its device address: this process's own,
    // as tests of other builds may run beside it.
    const QString device =
        QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid());
    const QString config = QStringLiteral("%1/cups-pdf-%2.conf")
                               .arg(QString::fromLatin1(kBackendConfigFolder), device);
    if (::geteuid() != 0 ||
        !writeText(config, QStringLiteral("Out %1\nAnonDirName %1\nLabel 0\n").arg(output()))) {
        failure_ = QStringLiteral("cups-pdf runs as root only, with its settings in ") +
                   QString::fromLatin1(kBackendConfigFolder);
        return false;
    }
    backendConfigs_ << config;
    run("lpadmin", {"-p", name, "-E", "-v", "cups-pdf:/" + device, "-P",
                    "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", "-o",
                    QStringLiteral("Resolution=%1dpi").arg(dpi)});
    return true;
}

void CupsServer::addPostScriptQueue(const QString& name, const QString& ppd, const QString& file) {
    run("lpadmin", {"-p", name, "-E", "-v", "file://" + output() + "/" + file, "-P", ppd});
}

void CupsServer::waitForJobs() {
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        QProcess p;
        p.setProcessEnvironment(clientEnvironment());
        p.start("lpstat", {"-o"});
        p.waitForFinished(5000);
        if (p.exitCode() == 0 && p.readAllStandardOutput().trimmed().isEmpty())
            return;
        QThread::msleep(200);
    }
    ADD_FAILURE() << "jobs still waiting after a minute\n" << log().toStdString();
}

QString CupsServer::log() const {
    QFile file(dir_.path() + "/log/error_log");
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

} // namespace karvel::test
