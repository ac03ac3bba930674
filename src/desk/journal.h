#pragma once
// The day's loan journal yy-mm-dd.JNL in the data folder: one entry per loan
// or return, each line quoted and CR LF ended, appended across runs.

#include <QByteArray>
#include <QDate>
#include <QString>

namespace karvel {

struct AppContext;

// Copies the document view's current record into ctx.desk.CurrentDocument.
// The desk's BorrowerCategory is left alone: the document list copies every
// record, and that must not change the kind of borrower being chosen.
void CopyDocumentRecord(AppContext& ctx);

// "26-03-07.JNL" for 7 March 2026.
QString JournalFileName(const QDate& day);

// The entry of the document view's current record, as the file holds it:
// when and what (ctx.desk.CurrentAction), who holds the document, which
// document, and its dates. Looks the borrower up; failures are thrown.
QByteArray JournalEntry(AppContext& ctx);

// Appends a whole entry to the day's file in one write, flushed to disk, so a
// failure never leaves part of an entry. Failures are thrown.
void AppendJournalEntry(AppContext& ctx, const QByteArray& entry);

// Builds and appends the entry of the current record; a failure is shown with
// the standard error message and nothing is written. False when it failed.
bool WriteJournalEntry(AppContext& ctx);

} // namespace karvel
