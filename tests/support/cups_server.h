#pragma once
// A CUPS server of the test's own: cupsd on a socket in a temporary folder,
// with its configuration, spool and logs there too, stopped with the test.
// Queues print to files in its output folder.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace karvel::test {

class CupsServer {
  public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;

    // Empty once the server answers; else why it could not start.
    const QString& failure() const { return failure_; }
    // What CUPS_SERVER names for the server's clients.
    QString socket() const { return dir_.path() + QStringLiteral("/cups.sock"); }
    // Where the queues' output files go.
    QString output() const { return dir_.path() + QStringLiteral("/out"); }

    // A queue of cups-pdf at `dpi`, writing PDF files into output(); false,
    // with failure() set, when the backend cannot be given its own folder.
    bool addPdfQueue(const QString& name, int dpi);
    // A PostScript queue with the printable area of `ppd`, written to `file`
    // in output().
    void addPostScriptQueue(const QString& name, const QString& ppd, const QString& file);
    // Runs one of the CUPS commands (lpadmin, cupsreject...) on this server.
    void run(const QString& command, const QStringList& arguments);
    // Waits until no job is pending or printing.
    void waitForJobs();
    // The scheduler's log, to explain a failure.
    QString log() const;

  private:
    QProcessEnvironment clientEnvironment() const;

    QTemporaryDir dir_;
    QProcess cupsd_;
    QString failure_;
    // cups-pdf reads its configuration from the system's folder only.
    QStringList backendConfigs_;
};

} // namespace karvel::test
