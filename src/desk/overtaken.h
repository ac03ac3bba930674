#pragma once
// A loan, a return or a stocktaking mark is saved only onto the record it was
// decided on. When another desk on the same folder changed the record in
// between, nothing is saved and the desk says what happened there.

#include <QString>

namespace karvel {

class RecordView;

enum class DeskChange { Loan, Return, Mark };

// What the document view now shows happened at the other desk (lent, with
// the borrower's number; returned; marked; changed), then that this desk's
// change was not saved.
QString OvertakenMessage(const RecordView& document, DeskChange change);

} // namespace karvel
