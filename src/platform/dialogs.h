#pragma once
// Modal message boxes, the input box and the busy pointer. The Qt version
// shows real dialogs; the scripted one answers for a person in tests.

#include <QString>
#include <optional>

namespace karvel {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo };

// The answers a message box returns, with the platform's codes.
enum Answer : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual int message(Icon icon, const QString& caption, const QString& text,
                        Buttons buttons = Buttons::Ok) = 0;
    // The text typed, or nothing when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& title) = 0;
    virtual void setBusy(bool busy) = 0;
};

} // namespace karvel
