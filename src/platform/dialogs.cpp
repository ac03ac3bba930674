#include "platform/dialogs.h"

namespace karvel {

int Dialogs::message(Icon icon, const QString& caption, const QString& text, Buttons buttons) {
    if (watcher_)
        watcher_->beforeBox(icon);
    return showMessage(icon, caption, text, buttons);
}

std::optional<QString> Dialogs::takeWaitingReading() {
    if (waiting_.empty())
        return std::nullopt;
    QString reading = waiting_.front();
    waiting_.pop_front();
    return reading;
}

QString Dialogs::takeUnfinishedReading() {
    return std::exchange(unfinished_, QString());
}

void Dialogs::keepUnfinishedReading(const QString& keys) {
    if (watcher_)
        unfinished_ = keys;
}

void Dialogs::keepReading(const QString& reading) {
    if (!watcher_)
        return;
    waiting_.push_back(reading);
    watcher_->readingKept(int(waiting_.size()));
}

} // namespace karvel
