#pragma once
#include "platform/dialogs.h"

namespace karvel {

// Dialogs shown with Qt's message and input boxes. While a message box is
// open, a barcode reader's keystrokes are taken out of it (ReadingRhythm) and
// kept as waiting readings.
class QtDialogs final : public Dialogs {
  public:
    std::optional<QString> input(const QString& prompt, const QString& title) override;
    void setBusy(bool busy) override;
    int runKeepingReadings(const std::function<int()>& exec) override;
    // From now on nobody may be there to answer (the system is ending the
    // program): a message goes to standard error and takes its default
    // answer, OK, Annuler or Non, and an input box is cancelled.
    void answerForNobody() { nobody_ = true; }

  protected:
    int showMessage(Icon icon, const QString& caption, const QString& text,
                    Buttons buttons) override;

  private:
    bool busy_ = false;
    bool nobody_ = false;
};

} // namespace karvel
