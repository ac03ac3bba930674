#pragma once
// Stocktaking: every document read is marked "I" in the catalogue and counted.
// A marked document can be neither lent nor returned until the stocktaking is
// ended, which is done outside this program.

namespace karvel {

struct AppContext;

// Asks for confirmation (OK / Cancel), then runs the stocktaking on OK.
void ConfirmStocktaking(AppContext& ctx);

// Asks for documents one by one until an empty answer, Cancel or "00000",
// then shows how many were marked. A database error ends the run with the
// standard error message; the marks already saved stay.
void RunStocktaking(AppContext& ctx);

} // namespace karvel
