#pragma once
// The barcode command interpreter of the loan desk: each validated reading is
// a command word, a borrower or a document, and a loan is the sequence
// "EMPRUNT", a borrower, then any number of documents.

namespace karvel {

struct AppContext;
struct DeskState;

// Interprets desk.Text1 and acts on it: switches the action, identifies the
// borrower, or lends or takes back one document (catalogue, member record,
// journal). Refusals are messages after which the reading is cleared; a
// database failure gets the standard error message and leaves the reading in
// place, with whatever was saved before it kept.
void InterpretReading(AppContext& ctx, DeskState& desk);

// Takes back the document on which the document view stands: clears its loan
// fields and saves it, then journals the return from the record as it was
// before. False, with nothing saved nor journalled, when the record changed
// in the file since the view read it (another desk took it back, say); the
// view then shows it as it now stands. A failed save leaves no journal
// entry; database failures are thrown.
bool RecordReturn(AppContext& ctx);

// Empties every field and the list of the desk and puts the focus in the
// reading field. The program-wide desk values are left alone.
void ResetLoanDesk(DeskState& desk);

} // namespace karvel
