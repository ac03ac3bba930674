#pragma once
// The start-up sequence: folders, the thirteen bindings of the record views,
// the pupils database test and the settings. Each step runs under one
// handler: a failure goes to ExplainError and the next step follows, unless
// the error ends the program.

#include <QString>
#include <functional>

namespace karvel {

struct AppContext;

struct StartupHooks {
    // Reads the settings files (page layout, loan limits, backup notice).
    std::function<void()> loadSettings;
    // Makes sure the page-layout window exists, hidden.
    std::function<void()> loadLayoutWindow;
};

enum class StartupResult { ShowMainWindow, EndProgram };

// Fixes the data and pupils folders from `startFolder` and binds the views.
StartupResult RunStartup(AppContext& ctx, const QString& startFolder, const StartupHooks& hooks);

// The version text of the splash and of the version box.
inline const QString kVersionText = QStringLiteral("version 32 bits du 13/09/2011");

} // namespace karvel
