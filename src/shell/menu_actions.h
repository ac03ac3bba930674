#pragma once
// What the main window's menu entries do, apart from the window: the printer
// orientation questions, the documents of the data folder and the version box.

#include "data/error_report.h"
#include "platform/printer_surface.h"

#include <QString>
#include <QVersionNumber>

namespace karvel {

struct AppContext;

// Asks whether to put the printer in `orientation` (the answer is kept in
// ctx.answer). On Yes sets it and ends the printer's empty document so that
// the setting takes effect. True only when the printer was set: a No, or a
// printer failure reported with the standard error message, gives false.
bool AskPrinterOrientation(AppContext& ctx, Orientation orientation);

enum class DataDocument { Help, GeneralInformation };

// Says which accessory reads the document, then opens helpkv.rtf or
// karvel.rtf of the data folder, whatever the letter case of its name, with
// the desktop's viewer, without waiting. A failure goes to ExplainError,
// whose outcome is returned.
ErrorOutcome OpenDataDocument(AppContext& ctx, DataDocument document);

// The text of the Info Version box for `version` (major, minor, revision).
QString versionBoxText(const QVersionNumber& version);
// The Info Version box, with the program's own version.
void ShowVersionBox(AppContext& ctx);

} // namespace karvel
