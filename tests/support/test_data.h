#pragma once
// A school's files in a temporary folder: /tmp/.../ECOLE/LAVOK with the
// catalogue and members files, and the sibling LEMAVORI with the pupils file,
// all with their tables and no rows until a test adds them.

#include "desk/app_context.h"
#include "fixed_clock.h"
#include "recording_printer.h"
#include "scripted_dialogs.h"

#include <QMap>
#include <QTemporaryDir>
#include <ostream>

// Test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace karvel::test {

using Row = QMap<QString, QString>;

// The bytes of a file, or "<absent>".
QByteArray contents(const QString& path);

class SchoolFolder {
  public:
    // Creates LAVOK with VOK.MDB, MEMBRES.MDB and COTATION.MDB, and LEMAVORI
    // with LEMAVORI.MDB unless `withPupils` is false.
    explicit SchoolFolder(bool withPupils = true);

    QString root() const { return dir_.path() + QStringLiteral("/ECOLE"); }
    QString data() const { return root() + QStringLiteral("/LAVOK"); }
    QString pupils() const { return root() + QStringLiteral("/LEMAVORI"); }
    QString catalogue() const { return data() + QStringLiteral("/VOK.MDB"); }
    QString members() const { return data() + QStringLiteral("/MEMBRES.MDB"); }
    QString pupilsFile() const { return pupils() + QStringLiteral("/LEMAVORI.MDB"); }

    // Adds rows to a table of a database file; missing fields stay empty.
    static void insert(const QString& file, const QString& table, const std::vector<Row>& rows);
    // One field of the row of `table` whose `keyField` is `key`.
    static QString value(const QString& file, const QString& table, const QString& keyField,
                         const QString& key, const QString& field);

  private:
    QTemporaryDir dir_;
};

// A context with scripted dialogs, a fixed clock and a recording printer,
// bound to a school folder's files as start-up would bind them.
struct TestContext {
    explicit TestContext(const QDateTime& now = QDateTime(QDate(2026, 3, 7), QTime(10, 30)))
        : clock(now), ctx(dialogs, clock, files, printer) {}

    ScriptedDialogs dialogs;
    FixedClock clock;
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx;
};

} // namespace karvel::test
