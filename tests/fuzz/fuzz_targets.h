#pragma once
// Hostile and broken input for the loan desk, the settings files and the
// lists of the printing windows. The bodies are shared by the libFuzzer
// programs and by the deterministic corpus of the test suite. Each one checks
// what must hold whatever the input and throws InvariantBroken when it does
// not, so a fuzzer stops on it as on a crash.

#include <QMap>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>

class QTemporaryDir;

namespace karvel::fuzz {

struct InvariantBroken : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The first byte of a reading input.
namespace flags {
// Every byte is one character (NUL and controls kept), instead of UTF-8.
constexpr uint8_t kLatin1 = 0x01;
// The force question after a loan limit is answered Yes.
constexpr uint8_t kForce = 0x02;
// Letters are turned to upper case, as the desk's reading field does.
constexpr uint8_t kUpperCase = 0x04;
// All five high bits: the readings go to a stocktaking run instead of the desk.
constexpr uint8_t kStocktaking = 0xF8;
} // namespace flags

// Readings of one input beyond this many are dropped: an input is a few scans.
constexpr int kMaxReadingsPerInput = 16;

// A table's rows by key, each row as its fields by name.
using TableRows = std::map<QString, QMap<QString, QString>>;

// A demo school in a temporary folder, started the way the program starts,
// with a loan desk that stays open from one input to the next.
class ReadingSession {
  public:
    explicit ReadingSession(int documents = 400);
    ~ReadingSession();
    ReadingSession(const ReadingSession&) = delete;
    ReadingSession& operator=(const ReadingSession&) = delete;

    // One input: a flags byte, then readings separated by line feeds. Each
    // reading is validated at the desk with every question answered; the
    // desk must refuse or act without a database error, empty its reading
    // field, and name only documents and borrowers that exist. Returns the
    // number of readings made.
    int feed(const uint8_t* data, size_t size);
    // Empties the desk as its "new reading" button does.
    void resetDesk();

    // What changed in the school's files since the session began, checked
    // against what loans, returns and stocktaking marks may change, and the
    // day's journal against the loans and returns made. Closes
    // the record views first (they reopen at the next reading). The problems
    // found, empty when none.
    QStringList checkFiles();

    // Loans and returns listed at the desk, and documents marked, so far.
    qint64 loans() const { return loans_; }
    qint64 returns() const { return returns_; }
    qint64 marks() const { return marks_; }
    QString dataFolder() const;

  private:
    struct Program;
    void readAtDesk(const QString& reading);
    void checkDesk(const QString& reading, const QString& action, qsizetype listed);
    void stocktake(const QStringList& readings);

    std::unique_ptr<QTemporaryDir> dir_;
    QString root_;
    TableRows documents_; // as they were when the session began
    TableRows members_;
    TableRows pupils_;
    QMap<QString, QByteArray> untouchedFiles_; // files no reading may write
    QStringList startingEntries_;
    qint64 startingLoanEntries_ = 0; // in the day's journal already
    qint64 startingReturnEntries_ = 0;
    std::unique_ptr<Program> program_;
    qint64 loans_ = 0;
    qint64 returns_ = 0;
    qint64 marks_ = 0;
};

// libFuzzer's body for the readings: one session for the whole process, its
// desk emptied before each input so that an input replays alone. The files
// are checked every few thousand inputs and the school is then made anew.
int fuzzReadings(const uint8_t* data, size_t size);

// KARVEL.INI and LAVOK.INI: the input is cut in two at its first NUL byte
// (the companion file is absent when there is none) and loaded with
// LoadSettings, then saved and loaded back, which must give the same
// layout; the reader alone must read every value inside its text. True
// when both files were read without a failure.
bool fuzzSettings(const uint8_t* data, size_t size);

// The list and the series of the label and card windows: the list splits
// into items that together hold every character but the separators, the
// numbers format into label texts of bounded length, a series is either
// refused or counts a printable number of labels, and the gauge stays
// within 0 to 100.
void fuzzListSplitter(const uint8_t* data, size_t size);

} // namespace karvel::fuzz
