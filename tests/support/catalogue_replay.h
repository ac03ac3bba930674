#pragma once
// The loan state of a whole catalogue and the entries of a journal, read from
// outside as the reliability tests check them: what the journal tells must
// replay onto the catalogue.

#include <QString>
#include <QStringList>
#include <map>
#include <ostream>
#include <vector>

namespace karvel::test {

struct DocumentState {
    QString state; // emprunté, upper case
    QString borrower;
    QString category;
    qint64 loans = 0; // cumul

    bool operator==(const DocumentState&) const = default;
};

using Catalogue = std::map<QString, DocumentState>;

std::ostream& operator<<(std::ostream& os, const DocumentState& d);

// Opened for writing, as the next run would open it: a transaction a kill
// cut short is rolled back first.
Catalogue readCatalogue(const QString& path);

struct Entry {
    bool loan = false;
    QString document;
    QString borrower; // empty when the entry has no borrower line
    QString category;
};

// The journal's entries from `offset`, which moves past the last whole line.
// Lines that do not belong to an entry are returned in `bad`.
std::vector<Entry> readEntries(const QString& path, qint64& offset, QStringList& bad);

} // namespace karvel::test
