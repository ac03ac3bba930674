#pragma once
// The page the librarian prints at the end of a borrower's visit: the action,
// the moment, the borrower and the documents handled since the last change of
// action or borrower.

namespace karvel {

struct AppContext;
struct DeskState;

// Prints one page from what the desk shows and sends it. A printer failure
// gets the standard error message.
void PrintLoanList(AppContext& ctx, const DeskState& desk);

} // namespace karvel
