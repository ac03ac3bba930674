#include "fuzz_targets.h"
#include "fixed_clock.h"

#include "common/text.h"
#include "data/folders.h"
#include "data/settings.h"
#include "demo_data.h"
#include "desk/app_context.h"
#include "desk/desk_state.h"
#include "desk/interpreter.h"
#include "desk/journal.h"
#include "desk/stocktaking.h"
#include "platform/sqlite_db.h"
#include "printing/label_numbers.h"
#include "printing/layout_settings.h"
#include "recording_printer.h"
#include "scripted_dialogs.h"
#include "shell/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <vector>

namespace karvel::fuzz {

namespace {

// The day of the demo data and of every loan made in a session.
const QDateTime kNow(QDate(2026, 3, 9), QTime(10, 0));

const QString kStandardError = QStringLiteral("Le logiciel a rencontré l'erreur : ");
const QString kPupil = QStringLiteral("école");
const QString kMember = QStringLiteral("extérieur");
const QString kLoanAction = QStringLiteral("Emprunt d'un document");
const QString kReturnAction = QStringLiteral("Restitution d'un document");

// The fields a loan, a return or a stocktaking mark write.
const QStringList kLoanFields = {QStringLiteral("emprunté"), QStringLiteral("emprunteur"),
                                 QStringLiteral("catégorieemprunteur"),
                                 QStringLiteral("dateemprunt"), QStringLiteral("cumul")};

// A reading as it can be shown in a report: controls and non-ASCII escaped,
// long texts cut.
QString shown(const QString& text) {
    QString out;
    for (QChar c : text.left(80)) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return text.size() > 80 ? out + QStringLiteral("…(%1)").arg(text.size()) : out;
}

[[noreturn]] void broken(const QString& what) {
    throw InvariantBroken(what.toStdString());
}

QString decode(const uint8_t* data, size_t size, bool latin1) {
    const char* bytes = reinterpret_cast<const char*>(data);
    return latin1 ? QString::fromLatin1(bytes, qsizetype(size))
                  : QString::fromUtf8(bytes, qsizetype(size));
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A member's `emprunt` of "N" or "0" bars them from borrowing.
bool barred(const QMap<QString, QString>& member) {
    const QString allowed = member.value(QStringLiteral("emprunt"));
    return same(allowed, QStringLiteral("N")) || allowed == QLatin1String("0");
}

TableRows readTable(const QString& path, const QString& table, const QString& key) {
    Database db(path, Database::Mode::ReadOnly);
    auto stmt = db.prepare(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
    TableRows rows;
    qint64 count = 0;
    while (stmt->step()) {
        QMap<QString, QString> row;
        for (int c = 0; c < stmt->columnCount(); ++c)
            row.insert(stmt->columnName(c), stmt->text(c));
        rows[row.value(key)] = std::move(row);
        ++count;
    }
    if (count != qint64(rows.size()))
        broken(QStringLiteral("%1: duplicate keys").arg(table));
    return rows;
}

QString folderOf(const QString& root, const QString& name) {
    return root + QStringLiteral("/ECOLE/") + name;
}

// Every file of the two folders, by path.
QStringList entriesOf(const QString& root) {
    QStringList entries;
    for (const QString& name : {QStringLiteral("LAVOK"), QStringLiteral("LEMAVORI")}) {
        const QString folder = folderOf(root, name);
        for (const QString& file : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            entries << folder + QLatin1Char('/') + file;
    }
    return entries;
}

bool isDatabaseFile(const QString& path) {
    return path.endsWith(QStringLiteral(".MDB"), Qt::CaseInsensitive);
}

// Written by the desk: the catalogue, the members and the day's journal.
bool mayChange(const QString& path) {
    return path.endsWith(QLatin1Char('/') + kCatalogueFile) ||
           path.endsWith(QLatin1Char('/') + kMembersFile) || path.endsWith(QStringLiteral(".JNL"));
}

// Journal entries of `action` in the day's journal: each one opens with the
// date, the time and the action on a line of its own.
qint64 journalled(const QString& dataFolder, const QString& action) {
    QFile file(pathIn(dataFolder, JournalFileName(kNow.date())));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray opening = settingsFileBytes(
        {formatDate(kNow.date()) + kNow.time().toString(QStringLiteral(" - hh:mm - ")) + action});
    return file.readAll().count(opening);
}

// The school lives on a memory file system when there is one: every saved
// record is flushed to disk, and a hundred thousand readings would otherwise
// spend their time waiting for it.
QString temporaryBase() {
    const QString shm = QStringLiteral("/dev/shm");
    if (QFileInfo(shm).isDir() && QFileInfo(shm).isWritable())
        return shm;
    return QDir::tempPath();
}

} // namespace

// The program's objects around one desk, as main() makes them.
struct ReadingSession::Program {
    Program() : clock(kNow), ctx(dialogs, clock, files, printer) {}

    ScriptedDialogs dialogs;
    FixedClock clock;
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx;
    DeskState desk;
    bool forceLoans = false;
};

ReadingSession::ReadingSession(int documents)
    : dir_(std::make_unique<QTemporaryDir>(temporaryBase() +
                                           QStringLiteral("/karvel-hostile-XXXXXX"))),
      program_(std::make_unique<Program>()) {
    if (!dir_->isValid())
        broken(QStringLiteral("no temporary folder: %1").arg(dir_->errorString()));
    root_ = dir_->path();
    DemoOptions options;
    options.documents = documents;
    options.referenceDate = kNow.date();
    createDemoData(root_ + QStringLiteral("/ECOLE"), options);

    AppContext& ctx = program_->ctx;
    StartupHooks hooks;
    hooks.loadSettings = [&ctx] { LoadSettings(ctx); };
    if (RunStartup(ctx, dataFolder(), hooks) != StartupResult::ShowMainWindow ||
        !program_->dialogs.shown.empty())
        broken(QStringLiteral("the demo school does not start"));

    documents_ = readTable(pathIn(dataFolder(), kCatalogueFile), QStringLiteral("vok"),
                           QStringLiteral("inventaire"));
    members_ = readTable(pathIn(dataFolder(), kMembersFile), QStringLiteral("membres"),
                         QStringLiteral("matricule"));
    pupils_ = readTable(pathIn(folderOf(root_, QStringLiteral("LEMAVORI")), kPupilsFile),
                        QStringLiteral("enfants"), QStringLiteral("matricule"));
    startingEntries_ = entriesOf(root_);
    startingLoanEntries_ = journalled(dataFolder(), kLoanAction);
    startingReturnEntries_ = journalled(dataFolder(), kReturnAction);
    for (const QString& path : startingEntries_) {
        if (mayChange(path))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            broken(QStringLiteral("cannot read %1").arg(path));
        untouchedFiles_.insert(path, file.readAll());
    }
}

ReadingSession::~ReadingSession() = default;

QString ReadingSession::dataFolder() const {
    return folderOf(root_, QStringLiteral("LAVOK"));
}

void ReadingSession::resetDesk() {
    ResetLoanDesk(program_->desk);
}

int ReadingSession::feed(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t f = data[0];
    QStringList readings;
    const uint8_t* const end = data + size;
    const uint8_t* start = data + 1;
    while (readings.size() < kMaxReadingsPerInput) {
        const uint8_t* stop = start;
        while (stop < end && *stop != '\n')
            ++stop;
        QString reading = decode(start, size_t(stop - start), f & flags::kLatin1);
        readings << ((f & flags::kUpperCase) ? reading.toUpper() : reading);
        if (stop == end)
            break;
        start = stop + 1;
    }

    program_->forceLoans = f & flags::kForce;
    if ((f & flags::kStocktaking) == flags::kStocktaking) {
        stocktake(readings);
    } else {
        for (const QString& reading : readings)
            readAtDesk(reading);
    }
    return int(readings.size());
}

void ReadingSession::readAtDesk(const QString& reading) {
    Program& p = *program_;
    p.dialogs.shown.clear();
    p.dialogs.answers.clear();
    // The limit message, then the force question.
    if (p.forceLoans)
        p.dialogs.answers = {AnswerOk, AnswerYes};
    const QString action = p.desk.actionWord;
    const qsizetype listed = p.desk.handledDocuments.size();
    p.desk.reading = reading;
    InterpretReading(p.ctx, p.desk);
    checkDesk(reading, action, listed);
}

void ReadingSession::checkDesk(const QString& reading, const QString& action, qsizetype listed) {
    const Program& p = *program_;
    const DeskState& desk = p.desk;
    const QString where = QStringLiteral(" after the reading \"%1\"").arg(shown(reading));
    for (const ShownMessage& message : p.dialogs.shown) {
        if (message.text.startsWith(kStandardError))
            broken(QStringLiteral("database error%1: %2").arg(where, shown(message.text)));
    }
    if (!desk.reading.isEmpty())
        broken(QStringLiteral("reading field not emptied") + where);
    if (!desk.actionWord.isEmpty() && desk.actionWord != QLatin1String("EMPRUNT") &&
        desk.actionWord != QLatin1String("RESTITUTION"))
        broken(QStringLiteral("action \"%1\"").arg(shown(desk.actionWord)) + where);

    // One reading handles at most one document, and it must be the one read.
    const qsizetype now = desk.handledDocuments.size();
    if (now == listed + 1) {
        const QString line = desk.handledDocuments.last();
        const QString number = line.section(QStringLiteral(" - "), 0, 0);
        const auto document = documents_.find(number);
        if (document == documents_.end() ||
            line != number + QStringLiteral(" - ") + document->second.value("titre") ||
            number != zeroPadded(lastFive(reading)))
            broken(QStringLiteral("listed \"%1\"").arg(shown(line)) + where);
        if (action == QLatin1String("EMPRUNT"))
            ++loans_;
        else if (action == QLatin1String("RESTITUTION"))
            ++returns_;
        else
            broken(QStringLiteral("a document listed with no action") + where);
    } else if (now != listed && now != 0) {
        broken(QStringLiteral("the list went from %1 to %2 lines").arg(listed).arg(now) + where);
    }

    // A named borrower exists, is of the kind shown and may borrow.
    if (!desk.borrowerName.isEmpty()) {
        const bool pupil = desk.borrowerKind == kPupil;
        if (!pupil && desk.borrowerKind != kMember)
            broken(QStringLiteral("borrower kind \"%1\"").arg(shown(desk.borrowerKind)) + where);
        const TableRows& people = pupil ? pupils_ : members_;
        const auto person = people.find(desk.borrowerNumber);
        const QString name = person == people.end()
                                 ? QString()
                                 : person->second.value(pupil ? QStringLiteral("prénomenfant")
                                                              : QStringLiteral("prénom")) +
                                       QLatin1Char(' ') +
                                       person->second.value(pupil ? QStringLiteral("nomenfant")
                                                                  : QStringLiteral("nom"));
        if (name != desk.borrowerName || (!pupil && barred(person->second)))
            broken(
                QStringLiteral("borrower %1 \"%2\" named \"%3\"")
                    .arg(desk.borrowerKind, shown(desk.borrowerNumber), shown(desk.borrowerName)) +
                where);
    }
}

void ReadingSession::stocktake(const QStringList& readings) {
    Program& p = *program_;
    p.dialogs.shown.clear();
    p.dialogs.answers = {AnswerOk};
    p.dialogs.inputs.clear();
    for (const QString& reading : readings)
        p.dialogs.inputs.push_back(reading);
    ConfirmStocktaking(p.ctx);
    p.dialogs.inputs.clear();
    p.dialogs.answers.clear();
    for (const ShownMessage& message : p.dialogs.shown) {
        if (message.text.startsWith(kStandardError))
            broken(QStringLiteral("database error in a stocktaking of \"%1\": %2")
                       .arg(shown(readings.join(QLatin1Char('|'))), shown(message.text)));
    }
    // The last message counts the documents marked: " 3 documents inventoriés  ".
    if (p.dialogs.shown.empty())
        broken(QStringLiteral("a stocktaking ended without its count"));
    bool ok = false;
    const int marked =
        p.dialogs.shown.back().text.trimmed().section(QLatin1Char(' '), 0, 0).toInt(&ok);
    if (!ok)
        broken(QStringLiteral("stocktaking count \"%1\"").arg(shown(p.dialogs.shown.back().text)));
    marks_ += marked;
}

QStringList ReadingSession::checkFiles() {
    QStringList problems;
    program_->ctx.views.closeAll();
    const QString today = formatDate(kNow.date());

    const QStringList entries = entriesOf(root_);
    for (const QString& path : entries) {
        if (!startingEntries_.contains(path) && !path.endsWith(QStringLiteral(".JNL")))
            problems << QStringLiteral("new file %1").arg(path);
        if (isDatabaseFile(path)) {
            try {
                const QString check = Database(path, Database::Mode::ReadOnly).integrityCheck();
                if (check != QLatin1String("ok"))
                    problems << QStringLiteral("%1: %2").arg(path, check);
            } catch (const KarvelError& error) {
                problems << QStringLiteral("%1: %2").arg(path, error.description());
            }
        }
    }
    for (const QString& path : startingEntries_) {
        if (!entries.contains(path))
            problems << QStringLiteral("file gone: %1").arg(path);
    }
    for (auto it = untouchedFiles_.begin(); it != untouchedFiles_.end(); ++it) {
        QFile file(it.key());
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != it.value())
            problems << QStringLiteral("file changed: %1").arg(it.key());
    }

    const TableRows documents = readTable(pathIn(dataFolder(), kCatalogueFile),
                                          QStringLiteral("vok"), QStringLiteral("inventaire"));
    const TableRows members = readTable(pathIn(dataFolder(), kMembersFile),
                                        QStringLiteral("membres"), QStringLiteral("matricule"));
    if (documents.size() != documents_.size())
        problems << QStringLiteral("%1 documents instead of %2")
                        .arg(documents.size())
                        .arg(documents_.size());
    if (members.size() != members_.size())
        problems
            << QStringLiteral("%1 members instead of %2").arg(members.size()).arg(members_.size());

    for (const auto& [number, before] : documents_) {
        const auto found = documents.find(number);
        if (found == documents.end()) {
            problems << QStringLiteral("document %1 gone").arg(number);
            continue;
        }
        const QMap<QString, QString>& after = found->second;
        if (after == before)
            continue;
        const QString what = QStringLiteral("document %1: ").arg(number);
        for (auto field = before.begin(); field != before.end(); ++field) {
            if (!kLoanFields.contains(field.key()) && after.value(field.key()) != field.value())
                problems << what + QStringLiteral("%1 went from \"%2\" to \"%3\"")
                                       .arg(field.key(), shown(field.value()),
                                            shown(after.value(field.key())));
        }
        const QString wasState = before.value(QStringLiteral("emprunté"));
        const QString state = after.value(QStringLiteral("emprunté"));
        const QString borrower = after.value(QStringLiteral("emprunteur"));
        const QString kind = after.value(QStringLiteral("catégorieemprunteur"));
        const bool cumulOk = QRegularExpression(QStringLiteral("^[0-9]{3,}$"))
                                 .match(after.value(QStringLiteral("cumul")))
                                 .hasMatch();
        const int wasCumul = before.value(QStringLiteral("cumul")).toInt();
        const int cumul = after.value(QStringLiteral("cumul")).toInt();
        // Only a document out, on the shelf or never lent can be lent, taken
        // back or marked; a mark or any other state stays as it was.
        if (!wasState.isEmpty() && !same(wasState, QStringLiteral("O")) &&
            !same(wasState, QStringLiteral("N")))
            problems << what + QStringLiteral("state \"%1\" changed").arg(shown(wasState));
        if (after.value(QStringLiteral("dateemprunt")) != today)
            problems << what + QStringLiteral("changed but not dated today");
        if (!cumulOk || cumul < wasCumul)
            problems << what + QStringLiteral("cumul went from \"%1\" to \"%2\"")
                                   .arg(before.value(QStringLiteral("cumul")),
                                        after.value(QStringLiteral("cumul")));
        if (state == QLatin1String("O")) {
            const bool pupil = kind == kPupil;
            const TableRows& people = pupil ? pupils_ : members_;
            const auto person = people.find(borrower);
            if ((!pupil && kind != kMember) || person == people.end() ||
                (!pupil && barred(person->second)))
                problems << what + QStringLiteral("lent to %1 \"%2\"").arg(kind, shown(borrower));
            if (!same(before.value(QStringLiteral("emprunt")), QStringLiteral("O")))
                problems << what + QStringLiteral("lent though it may not be");
            if (cumul < wasCumul + 1)
                problems << what + QStringLiteral("lent without counting the loan");
        } else if (state == QLatin1String("N") || state == QLatin1String("I")) {
            if (!borrower.isEmpty() || !kind.isEmpty())
                problems << what + QStringLiteral("\"%1\" keeps the borrower %2 \"%3\"")
                                       .arg(state, kind, shown(borrower));
        } else {
            problems << what + QStringLiteral("state became \"%1\"").arg(shown(state));
        }
    }

    // Every loan and return listed at the desk is journalled, once.
    const qint64 loansJournalled = journalled(dataFolder(), kLoanAction) - startingLoanEntries_;
    const qint64 returnsJournalled =
        journalled(dataFolder(), kReturnAction) - startingReturnEntries_;
    if (loansJournalled != loans_ || returnsJournalled != returns_)
        problems << QStringLiteral("%1 loans and %2 returns journalled, %3 and %4 made")
                        .arg(loansJournalled)
                        .arg(returnsJournalled)
                        .arg(loans_)
                        .arg(returns_);

    for (const auto& [number, before] : members_) {
        const auto found = members.find(number);
        if (found == members.end()) {
            problems << QStringLiteral("member %1 gone").arg(number);
            continue;
        }
        const QMap<QString, QString>& after = found->second;
        for (auto field = before.begin(); field != before.end(); ++field) {
            const QString now = after.value(field.key());
            if (now == field.value())
                continue;
            if (field.key() != QLatin1String("datedernieremprunt") || now != today ||
                barred(before))
                problems << QStringLiteral("member %1: %2 went from \"%3\" to \"%4\"")
                                .arg(number, field.key(), shown(field.value()), shown(now));
        }
    }
    return problems;
}

int fuzzReadings(const uint8_t* data, size_t size) {
    // Made once per process; the files are checked and the school made anew
    // every few thousand inputs, so stocktaking marks do not pile up until
    // nothing can be lent any more.
    constexpr qint64 kInputsPerSchool = 5000;
    struct Fixture {
        std::unique_ptr<ReadingSession> session;
        qint64 inputs = 0;
    };
    static Fixture fixture;
    if (!fixture.session)
        fixture.session = std::make_unique<ReadingSession>();
    fixture.session->resetDesk();
    const int readings = fixture.session->feed(data, size);
    if (++fixture.inputs % kInputsPerSchool == 0) {
        const QStringList problems = fixture.session->checkFiles();
        if (!problems.isEmpty())
            broken(problems.join(QLatin1Char('\n')));
        fixture.session.reset();
    }
    return readings;
}

// ---------------------------------------------------------------------------
// Settings files

namespace {

// Settings files held in memory: the two folders exist on disk with both
// names, so LoadSettings finds them, but every byte read or written is here.
class MemoryFiles final : public FileSystem {
  public:
    QByteArray read(const QString& path) override { return files.value(path); }
    void writeAtomically(const QString& path, const QByteArray& bytes) override {
        files.insert(path, bytes);
    }
    void append(const QString& path, const QByteArray& bytes) override { files[path] += bytes; }
    void remove(const QString& path) override { files.remove(path); }
    void rename(const QString& from, const QString& to) override {
        files.insert(to, files.take(from));
    }

    QMap<QString, QByteArray> files;
};

struct SettingsFolders {
    SettingsFolders() {
        QDir(dir.path()).mkpath(QStringLiteral("both"));
        QDir(dir.path()).mkpath(QStringLiteral("ours"));
        for (const QString& path : {both() + QLatin1Char('/') + kSettingsFile,
                                    both() + QLatin1Char('/') + kCompanionSettingsFile,
                                    ours() + QLatin1Char('/') + kSettingsFile}) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                broken(QStringLiteral("cannot create %1").arg(path));
        }
    }
    QString both() const { return dir.path() + QStringLiteral("/both"); }
    QString ours() const { return dir.path() + QStringLiteral("/ours"); }

    QTemporaryDir dir;
};

// The texts LoadSettings may put in a field: what was there, a default, or
// a piece of the file.
void expectFrom(const QString& value, const QString& text, const QStringList& allowed,
                const char* field) {
    if (!allowed.contains(value) && !text.contains(value))
        broken(QStringLiteral("%1 holds \"%2\", which is not in the file")
                   .arg(QLatin1String(field), shown(value)));
}

// Reads every value of `text` alone: each one lies in the text after the
// one before, the reader stops at the end, and reading past it is refused.
void readWhole(const QString& text) {
    SettingsReader reader(text, QStringLiteral("KARVEL.INI"));
    qsizetype from = 0;
    qsizetype count = 0;
    while (!reader.atEnd()) {
        const QString value = reader.next();
        const qsizetype at = text.indexOf(value, from);
        if (at < 0)
            broken(QStringLiteral("value \"%1\" read past the text").arg(shown(value)));
        from = at + value.size();
        // Every value but an empty last one takes at least one character.
        if (++count > text.size() + 1)
            broken(QStringLiteral("the reader does not move on"));
    }
    try {
        reader.next();
    } catch (const KarvelError& error) {
        if (error.number() == 62)
            return;
    }
    broken(QStringLiteral("reading past the end was not refused"));
}

} // namespace

bool fuzzSettings(const uint8_t* data, size_t size) {
    struct Fixture {
        SettingsFolders folders;
        ScriptedDialogs dialogs;
        FixedClock clock{kNow};
        RecordingPrinter printer;
    };
    static Fixture fixture;

    const char* bytes = reinterpret_cast<const char*>(data);
    const QByteArray input = QByteArray::fromRawData(bytes, qsizetype(size));
    const qsizetype cut = input.indexOf('\0');
    const QByteArray ours = cut < 0 ? input : input.left(cut);
    const QByteArray companion = cut < 0 ? QByteArray() : input.mid(cut + 1);
    const QString folder = cut < 0 ? fixture.folders.ours() : fixture.folders.both();
    const QString oursText = decodeText(ours);
    const QString companionText = decodeText(companion);

    readWhole(oursText);
    readWhole(companionText);

    MemoryFiles files;
    files.files.insert(folder + QLatin1Char('/') + kSettingsFile, ours);
    if (cut >= 0)
        files.files.insert(folder + QLatin1Char('/') + kCompanionSettingsFile, companion);
    fixture.dialogs.shown.clear();
    AppContext ctx(fixture.dialogs, fixture.clock, files, fixture.printer);
    ctx.dataFolder = folder;
    const LayoutFields defaults;
    const bool loaded = LoadSettings(ctx);
    for (const ShownMessage& message : fixture.dialogs.shown) {
        // The only failure of a file held in memory is one too short.
        if (!message.text.startsWith(kStandardError + QStringLiteral("62\n")))
            broken(QStringLiteral("settings message \"%1\"").arg(shown(message.text)));
    }
    if (loaded != fixture.dialogs.shown.empty())
        broken(QStringLiteral("LoadSettings reports a failure it did not show, or the reverse"));
    expectFrom(ctx.layout.topMargin, oursText, {defaults.topMargin}, "Text1");
    expectFrom(ctx.layout.bottomMargin, oursText, {defaults.bottomMargin}, "Text2");
    expectFrom(ctx.layout.leftMargin, oursText, {defaults.leftMargin}, "Text3");
    expectFrom(ctx.layout.rightMargin, oursText, {defaults.rightMargin}, "Text4");
    expectFrom(ctx.layout.sheetWidth, oursText, {defaults.sheetWidth}, "Text5");
    expectFrom(ctx.layout.sheetHeight, oursText, {defaults.sheetHeight}, "Text6");
    expectFrom(ctx.layout.amplitude, oursText, {defaults.amplitude}, "Text7");
    expectFrom(ctx.layout.rows, oursText, {defaults.rows}, "Text8");
    expectFrom(ctx.layout.columns, oursText, {defaults.columns}, "Text9");
    expectFrom(ctx.loanLimits.pupilLimit, companionText, {QString()}, "Texte1");
    expectFrom(ctx.loanLimits.memberLimit, companionText, {QString()}, "Texte2");
    expectFrom(ctx.loanLimits.maxLoanDays, companionText, {QString(), QStringLiteral("15")},
               "Texte3");
    expectFrom(ctx.BackupNotice, companionText, {QString(), QStringLiteral("on")}, "BackupNotice");
    if (!loaded)
        return false;

    // Saved and read back, the layout comes back as it was, but for a value
    // holding a double quote, which the file's form cannot keep: it comes
    // back cut at the quote.
    const LayoutFields layout = ctx.layout;
    const LoanLimitFields limits = ctx.loanLimits;
    const QString notice = ctx.BackupNotice;
    if (!SaveSettings(ctx))
        broken(QStringLiteral("saving the settings failed: %1")
                   .arg(shown(fixture.dialogs.shown.back().text)));
    auto expectKept = [](const QString& before, const QString& after, const char* field) {
        const qsizetype quote = before.indexOf(QLatin1Char('"'));
        if (after != (quote < 0 ? before : before.left(quote)))
            broken(QStringLiteral("%1 saved as \"%2\" came back as \"%3\"")
                       .arg(QLatin1String(field), shown(before), shown(after)));
    };
    expectKept(layout.topMargin, ctx.layout.topMargin, "Text1");
    expectKept(layout.bottomMargin, ctx.layout.bottomMargin, "Text2");
    expectKept(layout.leftMargin, ctx.layout.leftMargin, "Text3");
    expectKept(layout.rightMargin, ctx.layout.rightMargin, "Text4");
    expectKept(layout.sheetWidth, ctx.layout.sheetWidth, "Text5");
    expectKept(layout.sheetHeight, ctx.layout.sheetHeight, "Text6");
    expectKept(layout.amplitude, ctx.layout.amplitude, "Text7");
    expectKept(layout.rows, ctx.layout.rows, "Text8");
    expectKept(layout.columns, ctx.layout.columns, "Text9");
    if (ctx.loanLimits != limits || ctx.BackupNotice != notice)
        broken(QStringLiteral("saving the layout changed the loan limits or the notice"));
    return true;
}

// ---------------------------------------------------------------------------
// Lists and series of the printing windows

void fuzzListSplitter(const uint8_t* data, size_t size) {
    if (size == 0)
        return;
    const QString text = decode(data + 1, size - 1, data[0] & 1);
    const auto isSeparator = [](QChar c) { return c == QLatin1Char('-') || c == QLatin1Char('/'); };

    const QStringList items = splitList(text);
    QString kept;
    qsizetype separators = 0;
    for (QChar c : text) {
        if (isSeparator(c))
            ++separators;
        else
            kept += c;
    }
    const bool lastIsItem = !text.isEmpty() && !isSeparator(text.back());
    if (items.size() != separators + (lastIsItem ? 1 : 0) || items.join(QString()) != kept)
        broken(QStringLiteral("\"%1\" split into %2 items").arg(shown(text)).arg(items.size()));

    // A label's number: digits only, at least five, and no more than the
    // largest double has.
    const auto expectLabelNumber = [&](double number) {
        const QString label = formatLabelNumber(number);
        static const QRegularExpression digits(QStringLiteral("^-?[0-9]{5,310}$"));
        if (!digits.match(label).hasMatch())
            broken(QStringLiteral("\"%1\" gives the label number \"%2\"")
                       .arg(shown(text), shown(label)));
    };
    const auto expectGauge = [&](const LabelNumbers& numbers) {
        int last = 0;
        const qint64 count = numbers.count();
        // Every label of a short job, the first and last few of a long one.
        for (qint64 k = 0; k < count; ++k) {
            if (k == 64 && count > 128)
                k = count - 64;
            const int percent = numbers.progressAfter(k);
            if (percent < 0 || percent > 100 || (count <= 128 && percent < last))
                broken(QStringLiteral("\"%1\": gauge at %2 after label %3")
                           .arg(shown(text))
                           .arg(percent)
                           .arg(k));
            last = percent;
            expectLabelNumber(numbers.at(k));
        }
        if (last != 100)
            broken(QStringLiteral("\"%1\": gauge ends at %2").arg(shown(text)).arg(last));
    };

    const std::optional<LabelNumbers> list = readList(text);
    if (list.has_value() == text.trimmed().isEmpty())
        broken(QStringLiteral("\"%1\": a blank list read, or a list refused").arg(shown(text)));
    if (list) {
        if (list->count() != splitList(text.trimmed()).size())
            broken(QStringLiteral("\"%1\": %2 labels listed").arg(shown(text)).arg(list->count()));
        for (qint64 k = 0; k < list->count(); ++k) {
            if (!std::isfinite(list->at(k)) || list->at(k) < 0)
                broken(QStringLiteral("\"%1\": item %2 worth %3")
                           .arg(shown(text))
                           .arg(k)
                           .arg(list->at(k)));
        }
        expectGauge(*list);
    }

    // The same text as a series: start and end on either side of the first
    // blank, or the whole text for both.
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    const QString start = blank < 0 ? text : text.left(blank);
    const QString end = blank < 0 ? text : text.mid(blank + 1);
    const auto series = readSeries(start, end);
    if (const QString* refusal = std::get_if<QString>(&series)) {
        if (!refusal->startsWith(QStringLiteral("Données in")))
            broken(QStringLiteral("series \"%1\" refused with \"%2\"")
                       .arg(shown(text), shown(*refusal)));
    } else {
        const LabelNumbers& numbers = std::get<LabelNumbers>(series);
        if (numbers.count() < 1 || numbers.count() > kLargestSeries ||
            numbers.at(0) != parseNumber(start).value_or(-1) ||
            numbers.at(numbers.count() - 1) != parseNumber(end).value_or(-1))
            broken(QStringLiteral("series \"%1\" counts %2 labels")
                       .arg(shown(text))
                       .arg(numbers.count()));
        expectGauge(numbers);
    }
}

} // namespace karvel::fuzz
