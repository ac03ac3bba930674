#pragma once
// A desktop for tests: keeps the path of every document opened, or fails
// with a scripted error.

#include "platform/desktop.h"

#include <optional>
#include <vector>

namespace karvel {

class ScriptedDesktop final : public Desktop {
  public:
    std::vector<QString> opened;
    // Thrown by the next launch instead of opening, for example ErrNoViewer.
    std::optional<KarvelError> failure;

  protected:
    void launch(const QString& path) override {
        if (failure) {
            const KarvelError error = *failure;
            failure.reset();
            throw error;
        }
        opened.push_back(path);
    }
};

} // namespace karvel
