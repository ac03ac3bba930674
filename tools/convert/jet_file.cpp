#include "jet_file.h"

#include "jet_text.h"
#include "platform/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <bit>
#include <cstring>

// glib first: mdbtools.h includes it inside extern "C", where its C++ parts
// would not compile.
#include <glib.h>
#include <mdbtools.h>

namespace karvel::convert {

namespace {

// The flags libmdb keeps in the high bits of a row's offset on its page.
constexpr int kRowOffsetMask = 0x1fff;
// Room for one chunk of an OLE object: a chunk never exceeds a page.
constexpr int kOleChunkBytes = 65536;

KarvelError damaged(const QString& path) {
    return KarvelError(ErrDatabaseDamaged,
                       errorDescription(ErrDatabaseDamaged, QFileInfo(path).fileName()), path);
}

// Frees what libmdb allocates with g_malloc.
struct GFree {
    void operator()(void* p) const { g_free(p); }
};
QString takeText(gchar* text) {
    std::unique_ptr<gchar, GFree> owner(text);
    return text ? QString::fromUtf8(text) : QString();
}

int fixedSize(int type) {
    switch (type) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_COMPLEX:
    case MDB_FLOAT:
        return 4;
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_DATETIME:
        return 8;
    case MDB_REPID:
        return 16;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

} // namespace

struct JetFile::State {
    QString path;
    MdbHandle* mdb = nullptr;
    std::vector<MdbTableDef*> definitions;
    std::vector<SourceTable> tables;
    QStringList linked;
    QByteArray oleChunk;

    ~State() {
        for (MdbTableDef* table : definitions)
            mdb_free_tabledef(table);
        if (mdb)
            mdb_close(mdb);
    }

    std::optional<QString> text(MdbColumn* column, const MdbField& field);
    QString textValue(const MdbField& field);
    QString memoValue(const MdbField& field);
    QString oleValue(MdbColumn* column, const MdbField& field);
};

JetFile::JetFile(const QString& path) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.path = path;
    s.mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!s.mdb)
        throw damaged(path);
    // The names and texts of the KarVel file are UTF-8; libmdb converts to
    // another character set when its environment asks for one.
    if (qstrcmp(mdb_target_charset(s.mdb), "UTF-8") != 0)
        throw KarvelError(
            ErrDatabaseEngine,
            QStringLiteral(
                "libmdb ne convertit pas les textes en UTF-8 (variable d'environnement MDB_ICONV = %1).")
                .arg(QString::fromUtf8(mdb_target_charset(s.mdb))),
            path);
    if (!mdb_read_catalog(s.mdb, MDB_ANY))
        throw damaged(path);
    for (unsigned i = 0; i < s.mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(s.mdb->catalog, i));
        if (entry->object_type == MDB_LINKED_TABLE)
            s.linked << QString::fromUtf8(entry->object_name);
        if (!mdb_is_user_table(entry))
            continue;
        MdbTableDef* table = mdb_read_table(entry);
        if (!table)
            throw damaged(path);
        s.definitions.push_back(table);
        if (!mdb_read_columns(table))
            throw damaged(path);
        SourceTable info{QString::fromUtf8(entry->object_name), {}, qint64(table->num_rows)};
        for (unsigned c = 0; c < table->num_cols; ++c)
            info.columns << QString::fromUtf8(
                static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c))->name);
        s.tables.push_back(info);
    }
}

JetFile::~JetFile() = default;

QString JetFile::formatName() const {
    switch (state_->mdb->f->jet_version) {
    case MDB_VER_JET3:
        return QStringLiteral("Jet 3");
    case MDB_VER_JET4:
        return QStringLiteral("Jet 4");
    case MDB_VER_ACCDB_2007:
        return QStringLiteral("ACE 12 (Access 2007)");
    case MDB_VER_ACCDB_2010:
        return QStringLiteral("ACE 14 (Access 2010)");
    case MDB_VER_ACCDB_2013:
        return QStringLiteral("ACE 15 (Access 2013)");
    case MDB_VER_ACCDB_2016:
        return QStringLiteral("ACE 16 (Access 2016)");
    case MDB_VER_ACCDB_2019:
        return QStringLiteral("ACE 17 (Access 2019)");
    default:
        return QStringLiteral("ACE");
    }
}

const std::vector<SourceTable>& JetFile::tables() const {
    return state_->tables;
}

const QStringList& JetFile::linkedTables() const {
    return state_->linked;
}

QString JetFile::State::textValue(const MdbField& field) {
    // A Jet 3 character becomes at most 3 bytes of UTF-8, a Jet 4 one (two
    // bytes, or one when compressed) at most 4.
    const size_t room = size_t(field.siz) * 4 + 16;
    QByteArray out(qsizetype(room + 1), '\0');
    const int length =
        mdb_unicode2ascii(mdb, reinterpret_cast<const char*>(mdb->pg_buf) + field.start,
                          size_t(field.siz), out.data(), room);
    return QString::fromUtf8(out.constData(), qMax(0, length));
}

QString JetFile::State::memoValue(const MdbField& field) {
    if (field.siz < MDB_MEMO_OVERHEAD)
        return QString();
    // libmdb writes a memo into a buffer of its bind size and cuts what does
    // not fit: make room for this one, whatever its length.
    const quint32 bytes = qFromLittleEndian<quint32>(mdb->pg_buf + field.start) & 0x3fffffffu;
    mdb_set_bind_size(mdb, qMax<size_t>(MDB_BIND_SIZE, size_t(bytes) * 4 + 64));
    return takeText(mdb_col_to_string(mdb, mdb->pg_buf, field.start, MDB_MEMO, field.siz));
}

QString JetFile::State::oleValue(MdbColumn* column, const MdbField& field) {
    if (field.siz < MDB_MEMO_OVERHEAD)
        return binaryText(QByteArray());
    // libmdb reads an OLE object from the copy of its field header found at
    // the column's bound buffer, then fills that buffer chunk by chunk.
    if (oleChunk.isEmpty())
        oleChunk = QByteArray(kOleChunkBytes, '\0');
    std::memcpy(oleChunk.data(), mdb->pg_buf + field.start, MDB_MEMO_OVERHEAD);
    column->bind_ptr = oleChunk.data();
    column->cur_value_start = field.start;
    column->cur_value_len = field.siz;
    size_t size = 0;
    void* data = mdb_ole_read_full(mdb, column, &size);
    column->bind_ptr = nullptr;
    const QByteArray bytes(static_cast<const char*>(data), qsizetype(data ? size : 0));
    free(data);
    return binaryText(bytes);
}

std::optional<QString> JetFile::State::text(MdbColumn* column, const MdbField& field) {
    // A Yes/No value lives in the row's null mask: a set bit is Yes.
    if (column->col_type == MDB_BOOL)
        return field.is_null ? QStringLiteral("0") : QStringLiteral("1");
    if (field.is_null)
        return std::nullopt;
    const unsigned char* p = mdb->pg_buf + field.start;
    if (field.siz < fixedSize(column->col_type) ||
        field.start + qMax(field.siz, 0) > int(sizeof mdb->pg_buf))
        throw damaged(path);
    switch (column->col_type) {
    case MDB_BYTE:
        return QString::number(p[0]);
    case MDB_INT:
        return QString::number(qFromLittleEndian<qint16>(p));
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return QString::number(qFromLittleEndian<qint32>(p));
    case MDB_FLOAT:
        return numberText(std::bit_cast<float>(qFromLittleEndian<quint32>(p)));
    case MDB_DOUBLE:
        return numberText(std::bit_cast<double>(qFromLittleEndian<quint64>(p)));
    case MDB_MONEY:
        return moneyText(qFromLittleEndian<qint64>(p));
    case MDB_DATETIME:
        return jetDateText(std::bit_cast<double>(qFromLittleEndian<quint64>(p)));
    case MDB_NUMERIC:
        return takeText(
            mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec));
    case MDB_REPID:
        return takeText(mdb_uuid_to_string(mdb->pg_buf, field.start));
    case MDB_TEXT:
        return textValue(field);
    case MDB_MEMO:
        return memoValue(field);
    case MDB_OLE:
        return oleValue(column, field);
    default:
        return binaryText(QByteArray(reinterpret_cast<const char*>(p), field.siz));
    }
}

qint64 JetFile::readRows(size_t index, const RowSink& sink) {
    State& s = *state_;
    MdbTableDef* table = s.definitions.at(index);
    const unsigned count = table->num_cols;
    std::vector<MdbField> fields(qMax<size_t>(count, MDB_MAX_COLS));
    RowValues values(count);
    qint64 rows = 0;
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        // libmdb hands over bound texts only, where NULL and "" look alike:
        // the row just fetched is cracked again to read its null mask and
        // its values unabridged.
        int start = 0;
        size_t length = 0;
        if (mdb_find_row(s.mdb, int(table->cur_row) - 1, &start, &length) != 0 ||
            mdb_crack_row(table, start & kRowOffsetMask, length, fields.data()) < 0)
            throw damaged(s.path);
        for (unsigned i = 0; i < count; ++i) {
            const MdbField& field = fields[i];
            if (field.colnum < 0 || unsigned(field.colnum) >= count)
                throw damaged(s.path);
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, field.colnum));
            values[size_t(field.colnum)] = s.text(column, field);
        }
        sink(values);
        ++rows;
    }
    return rows;
}

} // namespace karvel::convert
