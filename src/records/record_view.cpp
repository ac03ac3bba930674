#include "records/record_view.h"

#include "platform/sqlite_db.h"

#include <algorithm>
#include <iterator>

namespace karvel {

RecordView::RecordView(QString name, QString linkName)
    : name_(std::move(name)), linkName_(std::move(linkName)) {}

RecordView::~RecordView() = default;

void RecordView::bind(const QString& path) {
    if (path == path_)
        return;
    db_.reset();
    path_ = path;
    rows_.clear();
    unwalked_.reset();
    position_ = -1;
}

void RecordView::setRecordSource(RecordSource source) {
    if (source.table != source_.table)
        rowSql_.clear();
    source_ = std::move(source);
}

void RecordView::open() {
    if (!db_)
        db_ = std::make_unique<Database>(path_);
}

void RecordView::followReplacement() {
    if (!db_ || !db_->replacedOnDisk())
        return;
    const qint64 row = isBOF() || isEOF() ? -1 : rows_[size_t(position_)];
    std::vector<Field> written;
    std::copy_if(fields_.begin(), fields_.end(), std::back_inserter(written),
                 [](const Field& field) { return field.written; });
    refresh();
    if (row < 0)
        return;
    position_ = std::find(rows_.begin(), rows_.end(), row) - rows_.begin();
    loadCurrent();
    for (const Field& field : written)
        rewriteField(field.name, field.value);
}

std::vector<qint64> RecordView::runSource(const QString& sql, bool firstOnly) {
    std::vector<qint64> rows;
    Statement& stmt = db_->cached(sql);
    for (int i = 0; i < source_.values.size(); ++i)
        stmt.bind(i + 1, source_.values[i]);
    while ((!firstOnly || rows.empty()) && stmt.step())
        rows.push_back(stmt.integer(0));
    stmt.reset();
    rows.shrink_to_fit();
    return rows;
}

void RecordView::refresh() {
    if (db_ && db_->replacedOnDisk())
        db_.reset();
    open();
    const ReadTransaction reading(*db_);
    rows_ = runSource(source_.sql, false);
    unwalked_.reset();
    position_ = 0;
    loadCurrent();
}

void RecordView::refreshUnwalked(Stand stand) {
    if (stand == Stand::Last && source_.backwardSql.isEmpty()) {
        refresh();
        if (!isEmpty())
            moveLast();
        return;
    }
    if (db_ && db_->replacedOnDisk())
        db_.reset();
    open();
    const ReadTransaction reading(*db_);
    rows_ = runSource(stand == Stand::First ? source_.sql : source_.backwardSql, true);
    unwalked_.reset();
    if (!rows_.empty())
        unwalked_ = stand;
    position_ = 0;
    loadCurrent();
}

void RecordView::walkAll() {
    if (!unwalked_)
        return;
    const Stand stand = *unwalked_;
    const qint64 row = rows_.front();
    unwalked_.reset();
    rows_ = runSource(source_.sql, false);
    const auto at = std::find(rows_.begin(), rows_.end(), row);
    if (at != rows_.end()) {
        position_ = at - rows_.begin();
        return;
    }
    // Another program removed the record meanwhile: the view stands where it was asked to.
    position_ = stand == Stand::First ? 0 : qsizetype(rows_.size()) - 1;
    loadCurrent();
}

int RecordView::recordCount() {
    walkAll();
    return int(rows_.size());
}

const std::vector<qint64>& RecordView::rowIds() {
    walkAll();
    return rows_;
}

QStringList RecordView::peek(qint64 row, const QStringList& names) {
    QStringList texts;
    if (!db_)
        return texts;
    QString sql = QStringLiteral("SELECT ");
    for (int i = 0; i < names.size(); ++i)
        sql += (i ? QStringLiteral(", ") : QString()) + quotedIdentifier(names[i]);
    sql += QStringLiteral(" FROM ") + quotedIdentifier(source_.table) +
           QStringLiteral(" WHERE rowid = ?1");
    Statement& stmt = db_->cached(sql);
    stmt.bind(1, row);
    if (stmt.step()) {
        for (int i = 0; i < names.size(); ++i)
            texts.push_back(stmt.text(i));
    }
    stmt.reset();
    return texts;
}

void RecordView::query(RecordSource source) {
    setRecordSource(std::move(source));
    refresh();
}

void RecordView::moveFirst() {
    walkAll();
    position_ = 0;
    loadCurrent();
}

void RecordView::moveLast() {
    walkAll();
    position_ = qsizetype(rows_.size()) - 1;
    loadCurrent();
}

void RecordView::moveNext() {
    walkAll();
    if (position_ < qsizetype(rows_.size()))
        ++position_;
    loadCurrent();
}

void RecordView::loadCurrent() {
    // The texts shown before the move, to tell which fields changed.
    std::vector<Field> previous = std::move(fields_);
    fields_.clear();
    if (position_ >= 0 && position_ < qsizetype(rows_.size())) {
        if (rowSql_.isEmpty())
            rowSql_ = QStringLiteral("SELECT * FROM \"") + source_.table +
                      QStringLiteral("\" WHERE rowid = ?1");
        Statement& stmt = db_->cached(rowSql_);
        stmt.bind(1, rows_[size_t(position_)]);
        if (!stmt.step())
            throw makeError(ErrRecordDeleted);
        const int columns = stmt.columnCount();
        // The names are decoded once, then only compared with what SQLite
        // gives: decoding them for every record was a fifth of a lookup. The
        // compare still tells another table, or a column another program
        // renamed meanwhile.
        bool sameNames = columnNamesUtf8_.size() == size_t(columns);
        for (int c = 0; sameNames && c < columns; ++c)
            sameNames = columnNamesUtf8_[size_t(c)] == stmt.columnNameUtf8(c);
        if (!sameNames) {
            columnNames_.clear();
            columnNamesUtf8_.clear();
            for (int c = 0; c < columns; ++c) {
                columnNamesUtf8_.emplace_back(stmt.columnNameUtf8(c));
                columnNames_.push_back(QString::fromUtf8(columnNamesUtf8_.back()));
            }
        }
        fields_.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c)
            fields_.push_back({columnNames_[size_t(c)], stmt.text(c), false});
        stmt.reset();
    }
    for (size_t i = 0; i < fields_.size(); ++i) {
        const Field& field = fields_[i];
        // The previous record of the same result has its fields in the same place.
        const Field* before =
            i < previous.size() && previous[i].name == field.name ? &previous[i] : nullptr;
        if (!before) {
            const auto it = std::find_if(previous.begin(), previous.end(), [&](const Field& p) {
                return p.name.compare(field.name, Qt::CaseInsensitive) == 0;
            });
            before = it == previous.end() ? nullptr : &*it;
        }
        if ((before ? before->value : QString()) != field.value)
            fieldChanged(field.name);
    }
}

const RecordView::Field* RecordView::findField(const QString& name) const {
    // Callers mostly spell a name as the file does; that compare is the cheap one.
    for (const Field& field : fields_) {
        if (field.name == name)
            return &field;
    }
    for (const Field& field : fields_) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return &field;
    }
    return nullptr;
}

RecordView::Field& RecordView::fieldRef(const QString& name) {
    if (isBOF() || isEOF())
        throw makeError(ErrNoCurrentRecord);
    const Field* field = findField(name);
    if (!field)
        throw makeError(ErrItemNotFound, name);
    return const_cast<Field&>(*field);
}

QString RecordView::field(const QString& name) const {
    return const_cast<RecordView*>(this)->fieldRef(name).value;
}

void RecordView::setField(const QString& name, const QString& value) {
    Field& field = fieldRef(name);
    const bool changed = field.value != value;
    field.value = value;
    field.written = true;
    if (changed)
        fieldChanged(field.name);
}

void RecordView::rewriteField(const QString& name, const QString& value) {
    Field& field = fieldRef(name);
    field.value = value;
    field.written = true;
}

void RecordView::store() {
    if (isBOF() || isEOF())
        throw makeError(ErrNoCurrentRecord);
    QString sql = QStringLiteral("UPDATE \"") + source_.table + QStringLiteral("\" SET ");
    QStringList values;
    for (const Field& field : fields_) {
        if (!field.written)
            continue;
        if (!values.isEmpty())
            sql += QStringLiteral(", ");
        values.push_back(field.value);
        sql += QLatin1Char('"') + field.name + QStringLiteral("\" = ?") +
               QString::number(values.size());
    }
    if (values.isEmpty())
        return;
    sql += QStringLiteral(" WHERE rowid = ?") + QString::number(values.size() + 1);
    Statement& stmt = db_->cached(sql);
    for (int i = 0; i < values.size(); ++i)
        stmt.bind(i + 1, values[i]);
    stmt.bind(int(values.size()) + 1, rows_[size_t(position_)]);
    stmt.run();
    stmt.reset();
    if (db_->changes() == 0)
        throw makeError(ErrRecordDeleted);
}

void RecordView::save() {
    followReplacement();
    store();
    loadCurrent();
}

bool RecordView::stillHolds(const FieldTexts& decided) {
    QString sql = QStringLiteral("SELECT ");
    for (size_t i = 0; i < decided.size(); ++i) {
        // Named as the file spells it: SQLite ignores the case of ASCII letters only.
        const Field* field = findField(decided[i].first);
        sql += (i ? QStringLiteral(", ") : QString()) +
               quotedIdentifier(field ? field->name : decided[i].first);
    }
    sql += QStringLiteral(" FROM ") + quotedIdentifier(source_.table) +
           QStringLiteral(" WHERE rowid = ?1");
    Statement& stmt = db_->cached(sql);
    stmt.bind(1, rows_[size_t(position_)]);
    if (!stmt.step())
        throw makeError(ErrRecordDeleted);
    bool same = true;
    for (size_t i = 0; i < decided.size() && same; ++i)
        same = stmt.text(int(i)).compare(decided[i].second, Qt::CaseInsensitive) == 0;
    stmt.reset();
    return same;
}

bool RecordView::saveOnto(const FieldTexts& decided) {
    followReplacement();
    if (isBOF() || isEOF())
        throw makeError(ErrNoCurrentRecord);
    // The write lock is taken before the check, so no other desk can change
    // the record between the check and the save. The record is read again
    // before the lock goes: the view then shows it as saved (what the journal
    // tells), or as it stood when the check failed, not as another desk may
    // change it a moment later.
    Transaction transaction(*db_);
    const bool holds = stillHolds(decided);
    if (holds)
        store();
    loadCurrent();
    if (holds)
        transaction.commit();
    return holds;
}

RecordView::Walk::Walk(RecordView& view) : view_(view) {
    view_.followReplacement();
    view_.open();
    db_ = view_.db_.get();
    db_->exec(QStringLiteral("BEGIN"));
}

RecordView::Walk::~Walk() {
    // Nothing was written: ending the transaction cannot lose anything, and a
    // view closed or bound elsewhere meanwhile has ended it already.
    if (view_.db_.get() != db_)
        return;
    try {
        db_->exec(QStringLiteral("COMMIT"));
    } catch (const KarvelError&) {
    }
}

void RecordView::close() {
    if (!db_)
        throw makeError(ErrObjectInvalid);
    db_.reset();
    rows_.clear();
    unwalked_.reset();
    position_ = -1;
    fields_.clear();
}

} // namespace karvel
