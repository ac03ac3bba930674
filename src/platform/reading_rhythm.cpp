#include "platform/reading_rhythm.h"

namespace karvel {

bool ReadingRhythm::burstGoingOn(qint64 nowMs) const {
    return heldKeys_ > 0 && nowMs - lastKeyMs_ <= kReaderKeyGapMs;
}

int ReadingRhythm::idle(qint64 nowMs) {
    if (heldKeys_ == 0 || burstGoingOn(nowMs))
        return 0;
    const int released = heldKeys_;
    clear();
    return released;
}

ReadingRhythm::Verdict ReadingRhythm::press(Key key, const QString& text, qint64 nowMs) {
    Verdict verdict;
    verdict.release = idle(nowMs);
    switch (key) {
    case Key::Printable:
        held_ += text;
        ++heldKeys_;
        lastKeyMs_ = nowMs;
        verdict.hold = true;
        break;
    case Key::Enter:
        if (heldKeys_ > 0) {
            verdict.reading = held_;
            clear();
        } else {
            verdict.pass = true;
        }
        break;
    case Key::Other:
        // Escape, Tab, an arrow: only a person presses them, so what was held
        // was a person's too.
        verdict.release += heldKeys_;
        clear();
        verdict.pass = true;
        break;
    }
    return verdict;
}

void ReadingRhythm::clear() {
    held_.clear();
    heldKeys_ = 0;
}

} // namespace karvel
