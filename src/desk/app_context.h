#pragma once
// The program-wide values: one object, made at start-up and passed to every
// procedure that needs them. Nothing else holds state for the whole run.
// What the files and the machine give sits in DataContext and Services;
// this adds the values of the desk and of the printed pages.

#include "data/data_context.h"
#include "desk/desk_values.h"

namespace karvel {

struct AppContext : DataContext {
    using DataContext::DataContext;

    // The loan desk's values that outlive its window.
    DeskValues desk;

    // Margins of the printed pages, in the printer's current unit: the loan
    // list sets the left one, the label sheets set both. DrawRule stops at
    // the right one, which stays 0 until a label sheet sets it.
    double LeftMargin = 0;
    double RightMargin = 0;
};

} // namespace karvel
