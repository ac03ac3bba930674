#pragma once
// The loan limits of LAVOK.INI: how many documents a pupil or an external
// member may hold at once, and the question that lets the librarian force a
// loan beyond the limit.

#include <QString>

namespace karvel {

struct AppContext;

// A text read as the loan rules read numbers: blanks skipped, then its
// leading digits; 0 when it has none ("3 livres" → 3, "" → 0).
qint64 numericValue(const QString& text);

// The message shown when a borrower of `borrowerCategory` ("école" or
// "extérieur") already holds `count` documents.
QString limitMessage(const QString& borrowerCategory, qint64 count);

// Counts the documents the borrower holds against the limit of its kind; when
// the limit is reached, shows the limit message and asks whether to force the
// loan. True when the loan may go on. The count moves the document view off
// the document being lent: the caller finds that document again. A limit of
// "0" means no limit and makes no count. Database failures are thrown.
bool PassesLoanLimit(AppContext& ctx, const QString& borrowerCategory,
                     const QString& borrowerNumber);

// Asks whether to force the loan; the answer goes to ctx.answer and sets
// ctx.desk.ForceLoan (1 forced, 0 not forced).
void AskForceLoan(AppContext& ctx);

} // namespace karvel
