#pragma once
// Dialogs answered by a script, for tests: every message shown is kept, and
// answers are taken in order from the queue (OK, or No for a Yes/No question,
// when the queue is empty).

#include "platform/dialogs.h"

#include <deque>
#include <functional>
#include <vector>

namespace karvel {

struct ShownMessage {
    Icon icon;
    QString caption;
    QString text;
    Buttons buttons;
};

class ScriptedDialogs final : public Dialogs {
  public:
    int showMessage(Icon icon, const QString& caption, const QString& text,
                    Buttons buttons) override {
        shown.push_back({icon, caption, text, buttons});
        if (whileOpen)
            whileOpen(ShownMessage(shown.back()));
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == Buttons::YesNo ? AnswerNo : AnswerOk;
    }
    std::optional<QString> input(const QString& prompt, const QString& title) override {
        prompts.push_back(title + QLatin1Char('|') + prompt);
        if (inputs.empty())
            return std::nullopt;
        const bool cancelled = !inputs.front().has_value();
        const QString text = inputs.front().value_or(QString());
        inputs.pop_front();
        if (cancelled)
            return std::nullopt;
        return text;
    }
    void setBusy(bool value) override { busy = value; }

    std::deque<int> answers;
    // Called while each box is open, before it is answered: what a person at
    // another desk does meanwhile.
    std::function<void(const ShownMessage&)> whileOpen;
    std::deque<std::optional<QString>> inputs;
    std::vector<ShownMessage> shown;
    std::vector<QString> prompts;
    bool busy = false;
};

} // namespace karvel
