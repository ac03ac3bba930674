#pragma once
// The two ways a failure reaches the user: the standard error message of the
// shared procedures, and ExplainError for start-up and the help entries.

#include "platform/errors.h"

#include <functional>

namespace karvel {

struct DataContext;

// "Le logiciel a rencontré l'erreur : " + number, an empty line and the
// description; exclamation icon, caption "La V.O.K."; the pointer goes back
// to the default. The caller then gives up and its own caller goes on.
void ShowStandardError(DataContext& ctx, const KarvelError& error);

// The standard error message as a callback, for drawing procedures that go
// on after reporting.
std::function<void(const KarvelError&)> reportTo(DataContext& ctx);

// A print job that failed: the standard error message, then the printer lets
// go of the job, so that the next one does not land in it and is not dropped
// with it.
void ReportFailedJob(DataContext& ctx, const KarvelError& error);

// Runs a shared procedure under the standard error message; false when it failed.
bool RunReportingErrors(DataContext& ctx, const std::function<void()>& procedure);

enum class ErrorOutcome { Resume, EndProgram };

// Explains an error in plain French, offers to repair damaged databases, and
// tells the caller when the program must end at once.
ErrorOutcome ExplainError(DataContext& ctx, const KarvelError& error);

// The text ExplainError shows for the numbers it does not treat apart.
QString explanationText(int number, const QString& description);

} // namespace karvel
