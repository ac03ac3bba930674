#include "platform/sqlite_pages.h"

#include <sqlite3.h>
#include <string>
#include <vector>

namespace karvel {

namespace {

enum Column { ColPageNumber, ColData, ColSchema };
enum Constraint { BySchema = 1, ByPageNumber = 2 };

struct PageTable : sqlite3_vtab {
    sqlite3* db = nullptr;
};

struct PageCursor : sqlite3_vtab_cursor {
    std::string schema;
    sqlite3_file* file = nullptr;
    sqlite3_int64 pageSize = 0;
    sqlite3_int64 pageNumber = 0;
    sqlite3_int64 last = 0;
};

// One integer the connection reports on `schema`, such as its page size.
sqlite3_int64 pragmaValue(sqlite3* db, const std::string& schema, const char* pragma) {
    char* sql = sqlite3_mprintf("PRAGMA \"%w\".%s", schema.c_str(), pragma);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_int64 value = 0;
    if (sql && sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_free(sql);
    return value;
}

int connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** table, char**) {
    const int rc = sqlite3_declare_vtab(
        db, "CREATE TABLE x(pgno INTEGER PRIMARY KEY, data BLOB, schema HIDDEN)");
    if (rc != SQLITE_OK)
        return rc;
    auto* pages = new PageTable;
    pages->db = db;
    *table = pages;
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab* table) {
    delete static_cast<PageTable*>(table);
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    int schema = -1;
    int pageNumber = -1;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (constraint.op != SQLITE_INDEX_CONSTRAINT_EQ)
            continue;
        if (constraint.iColumn == ColSchema) {
            // The schema is the table's argument: a plan without it is no plan.
            if (!constraint.usable)
                return SQLITE_CONSTRAINT;
            schema = i;
        } else if (constraint.iColumn == ColPageNumber && constraint.usable) {
            pageNumber = i;
        }
    }
    int argument = 0;
    info->idxNum = 0;
    if (schema >= 0) {
        info->aConstraintUsage[schema].argvIndex = ++argument;
        info->aConstraintUsage[schema].omit = 1;
        info->idxNum |= BySchema;
    }
    if (pageNumber >= 0) {
        info->aConstraintUsage[pageNumber].argvIndex = ++argument;
        info->aConstraintUsage[pageNumber].omit = 1;
        info->idxNum |= ByPageNumber;
        info->estimatedCost = 1.0;
        info->estimatedRows = 1;
        info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
    } else {
        info->estimatedCost = 1e6;
    }
    return SQLITE_OK;
}

int open(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    *cursor = new PageCursor;
    return SQLITE_OK;
}

int close(sqlite3_vtab_cursor* cursor) {
    delete static_cast<PageCursor*>(cursor);
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* base, int idxNum, const char*, int, sqlite3_value** argv) {
    auto* cursor = static_cast<PageCursor*>(base);
    sqlite3* db = static_cast<PageTable*>(base->pVtab)->db;
    int argument = 0;
    cursor->schema = "main";
    if (idxNum & BySchema) {
        const auto* name = sqlite3_value_text(argv[argument++]);
        if (name)
            cursor->schema = reinterpret_cast<const char*>(name);
    }
    cursor->file = nullptr;
    if (sqlite3_file_control(db, cursor->schema.c_str(), SQLITE_FCNTL_FILE_POINTER,
                             &cursor->file) != SQLITE_OK ||
        !cursor->file || !cursor->file->pMethods) {
        base->pVtab->zErrMsg = sqlite3_mprintf("no such schema: %s", cursor->schema.c_str());
        return SQLITE_ERROR;
    }
    // Sizes as the connection sees them, so that a header put right for the
    // recovery is the one used here too.
    cursor->pageSize = pragmaValue(db, cursor->schema, "page_size");
    const sqlite3_int64 count = pragmaValue(db, cursor->schema, "page_count");
    cursor->pageNumber = 1;
    cursor->last = count;
    if (idxNum & ByPageNumber) {
        const sqlite3_int64 wanted = sqlite3_value_int64(argv[argument]);
        cursor->pageNumber = wanted;
        cursor->last = wanted >= 1 && wanted <= count ? wanted : wanted - 1;
    }
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* cursor) {
    ++static_cast<PageCursor*>(cursor)->pageNumber;
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* cursor) {
    const auto* pages = static_cast<PageCursor*>(cursor);
    return pages->pageNumber > pages->last;
}

int column(sqlite3_vtab_cursor* base, sqlite3_context* context, int index) {
    auto* cursor = static_cast<PageCursor*>(base);
    switch (index) {
    case ColPageNumber:
        sqlite3_result_int64(context, cursor->pageNumber);
        break;
    case ColData: {
        // A page past the end of a cut file reads as zeros, as SQLite reads it.
        std::vector<char> page(static_cast<size_t>(cursor->pageSize));
        const int rc =
            cursor->file->pMethods->xRead(cursor->file, page.data(), static_cast<int>(page.size()),
                                          (cursor->pageNumber - 1) * cursor->pageSize);
        if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ)
            return rc;
        sqlite3_result_blob(context, page.data(), static_cast<int>(page.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        sqlite3_result_text(context, cursor->schema.c_str(), -1, SQLITE_TRANSIENT);
    }
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* id) {
    *id = static_cast<PageCursor*>(cursor)->pageNumber;
    return SQLITE_OK;
}

const sqlite3_module kPageModule = {
    0,       // iVersion
    nullptr, // xCreate: eponymous only, never created by CREATE VIRTUAL TABLE
    connect,
    bestIndex,
    disconnect,
    nullptr, // xDestroy
    open,
    close,
    filter,
    next,
    eof,
    column,
    rowid,
    // xUpdate to xRename, then xSavepoint to xShadowName: a read-only table has none.
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

} // namespace

int registerPageTable(sqlite3* db) {
    return sqlite3_create_module(db, "sqlite_dbpage", &kPageModule, nullptr);
}

} // namespace karvel
