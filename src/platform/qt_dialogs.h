#pragma once
#include "platform/dialogs.h"

namespace karvel {

// Dialogs shown with Qt's message and input boxes.
class QtDialogs final : public Dialogs {
  public:
    int message(Icon icon, const QString& caption, const QString& text, Buttons buttons) override;
    std::optional<QString> input(const QString& prompt, const QString& title) override;
    void setBusy(bool busy) override;

  private:
    bool busy_ = false;
};

} // namespace karvel
