#pragma once
// The import's question and its outcome, told through the context's boxes.

#include "school_year/pupil_import.h"

namespace karvel {
struct AppContext;
}

namespace karvel::school_year {

// Shows the plan and asks whether to import (without the bad lines, when
// there are some; Yes changes data, so No is the default answer). On Yes,
// imports into the context's folders and tells what was done; a failure is
// shown with the standard error message. True when the import was written.
bool AskAndImportPupils(AppContext& ctx, const PupilFile& file, const ImportPlan& plan,
                        bool removeAbsent);

} // namespace karvel::school_year
