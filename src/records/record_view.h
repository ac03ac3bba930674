#pragma once
// A record view: one database file, one record source, its result and a
// current record whose fields are read and written as text. The result is
// kept as row identifiers; the fields of a record are read when it becomes
// current, so a result of a million rows costs a few megabytes.

#include "records/record_source.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace karvel {

class Database;

class RecordView {
  public:
    RecordView(QString name, QString linkName);
    virtual ~RecordView();
    RecordView(const RecordView&) = delete;
    RecordView& operator=(const RecordView&) = delete;

    const QString& name() const { return name_; }
    const QString& linkName() const { return linkName_; }
    const QString& path() const { return path_; }

    // Names the file; nothing is read until the next refresh.
    void bind(const QString& path);
    void setRecordSource(RecordSource source);
    const RecordSource& recordSource() const { return source_; }
    // Runs the record source again from scratch and opens the file if needed;
    // the view is then on the first record, or before the first and after the
    // last at once when the result is empty.
    void refresh();
    // Sets the record source and refreshes.
    void query(RecordSource source);

    enum class Stand { First, Last };
    // Runs the record source only as far as the record the view is to stand
    // on: the first, or the last (through the record source's backward form;
    // without one the whole result is read). The rest of the result is read
    // when a move or a count needs it, so opening a view on the whole
    // catalogue costs one record.
    void refreshUnwalked(Stand stand);

    bool isEmpty() const { return rows_.empty(); }
    bool isEOF() const { return position_ >= qsizetype(rows_.size()); }
    bool isBOF() const { return position_ < 0 || rows_.empty(); }
    void moveFirst();
    void moveLast();
    void moveNext();
    int recordCount();
    // The row identifiers of the result, in its order.
    const std::vector<qint64>& rowIds();

    // The texts of the fields `names` of the record `row` of the view's
    // table, read without making it current: a line of a list drawn when it
    // shows. Empty when no such record is left or the view is not open.
    QStringList peek(qint64 row, const QStringList& names);

    QString field(const QString& name) const;
    void setField(const QString& name, const QString& value);
    // Stores every field written since the record became current, then reads
    // the record again. Fields another program changed meanwhile are kept.
    void save();

    // Field names and their texts, as a decision read them.
    using FieldTexts = std::vector<std::pair<QString, QString>>;
    // Saves as save() does, but only onto the record the change was decided
    // on: in one transaction, the fields named in `decided` are read again
    // from the file and must still hold their texts (letter case aside).
    // Otherwise nothing is saved, the record as it now stands becomes
    // current, and the result is false. Either way the record is read again
    // within the transaction.
    bool saveOnto(const FieldTexts& decided);

    bool isOpen() const { return bool(db_); }

    // Closes the file; closing a view that is not open fails (error 3420).
    void close();

    // Holds one read transaction on the view's file while a long result is
    // walked. Outside a transaction every record read takes and drops the
    // file's lock and checks the file again: a million of them take half a
    // minute instead of a few seconds. No write may be made meanwhile.
    class Walk {
      public:
        explicit Walk(RecordView& view);
        ~Walk();
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;

      private:
        RecordView& view_;
        Database* db_;
    };

  protected:
    // Called when a field's text changes: by a write, or because another
    // record became current and the field's text differs from the previous one.
    virtual void fieldChanged(const QString& name) { (void)name; }
    // Replaces a field's text without calling fieldChanged; the field counts as written.
    void rewriteField(const QString& name, const QString& value);

  private:
    struct Field {
        QString name;
        QString value;
        bool written = false;
    };

    void open();
    // A file put in the place of the one open (a backup restored while
    // KarVel runs) is opened in its turn, on the same record with the same
    // fields written: nothing goes to the old file, which is gone.
    void followReplacement();
    void loadCurrent();
    std::vector<qint64> runSource(const QString& sql, bool firstOnly);
    // Reads the rest of a result opened by refreshUnwalked(), staying on the
    // same record.
    void walkAll();
    // Writes the fields written since the record became current.
    void store();
    bool stillHolds(const FieldTexts& decided);
    Field& fieldRef(const QString& name);
    const Field* findField(const QString& name) const;

    QString name_;
    QString linkName_;
    QString path_;
    std::unique_ptr<Database> db_;
    RecordSource source_;
    std::vector<qint64> rows_;
    qsizetype position_ = -1;
    // Set by refreshUnwalked(): rows_ holds only the record stood on.
    std::optional<Stand> unwalked_;
    std::vector<Field> fields_;
    // What reading a record needs, kept while the table stays.
    QString rowSql_;
    std::vector<QString> columnNames_;
    std::vector<QByteArray> columnNamesUtf8_;
};

} // namespace karvel
