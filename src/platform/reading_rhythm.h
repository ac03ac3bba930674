#pragma once
// Tells a barcode reader's keystrokes from a person's by their rhythm. A
// keyboard-wedge reader types a whole code in a burst, a few milliseconds a
// character, and ends it with Enter; a person answering a box presses one key.
// While a box is open, printable keys are held back for the length of one gap:
// a key followed that quickly by another is part of a reading and never
// reaches the box; a key left alone is a person's and goes through.

#include <QString>

namespace karvel {

// The longest pause between two keys of one reading, in milliseconds. USB
// readers send a key press and its release at the host's polling interval
// (1 to 10 ms), so 2 to 20 ms a character, and the slower Bluetooth ones stay
// under 40 ms; the quickest successive keystrokes of a fast typist are 80 ms
// or more apart, and a person answers a box with one key anyway. A person's
// key goes through to the box this much later, which nobody notices.
inline constexpr qint64 kReaderKeyGapMs = 50;

class ReadingRhythm {
  public:
    enum class Key { Printable, Enter, Other };
    struct Verdict {
        // Keys held until now that turned out to be a person's: they go to
        // the box first, in order, before the key just seen (if passed).
        int release = 0;
        bool hold = false; // the key is held back
        bool pass = false; // the key goes to the box
        QString reading;   // a whole reading ended by this Enter
    };

    // One key pressed at `nowMs`; printable keys carry their text.
    Verdict press(Key key, const QString& text, qint64 nowMs);
    // The clock has gone on to `nowMs` with no key: held keys older than one
    // gap were a person's. Returns how many to release.
    int idle(qint64 nowMs);
    // What is held: the start of a reading cut short, or keys still to decide.
    const QString& held() const { return held_; }
    int heldKeys() const { return heldKeys_; }
    // Whether the held keys could still be the start of a reading at `nowMs`.
    bool burstGoingOn(qint64 nowMs) const;
    void clear();

  private:
    QString held_;
    int heldKeys_ = 0;
    qint64 lastKeyMs_ = 0;
};

} // namespace karvel
