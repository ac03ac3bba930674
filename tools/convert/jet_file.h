#pragma once
// A Jet 3, Jet 4 or ACE (Access) database file read through libmdb, the
// library of mdbtools. Only user tables are read; system tables stay behind.

#include "table_source.h"

#include <memory>

namespace karvel::convert {

class JetFile : public TableSource {
  public:
    // Opens the file and reads its catalogue; a file libmdb cannot read is
    // error 3049 (not a database or damaged).
    explicit JetFile(const QString& path);
    ~JetFile() override;
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    // "Jet 3", "Jet 4", "ACE 12 (Access 2007)"...
    QString formatName() const;
    const std::vector<SourceTable>& tables() const override;
    // Tables whose rows live in another file: they cannot be converted from this one.
    const QStringList& linkedTables() const;
    qint64 readRows(size_t table, const RowSink& sink) override;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace karvel::convert
