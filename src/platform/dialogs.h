#pragma once
// Modal message boxes, the input box and the busy pointer. The Qt version
// shows real dialogs; the scripted one answers for a person in tests.

#include <QString>
#include <deque>
#include <functional>
#include <optional>

namespace karvel {

enum class Icon { None, Critical, Question, Exclamation, Information };
// A Yes/No question defaults to No: its Yes changes data or the printer, and
// an Enter that reaches the box by mistake must not say yes.
enum class Buttons { Ok, OkCancel, YesNo };

// The answers a message box returns, with the platform's codes.
enum Answer : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

// Whoever works at the desk while a box may open: shown what the box is about
// before it opens, and told of each reading a barcode reader made meanwhile.
class BoxWatcher {
  public:
    virtual ~BoxWatcher() = default;
    virtual void beforeBox(Icon icon) = 0;
    virtual void readingKept(int waiting) = 0;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Shows a box and returns the person's answer. A reading typed while it
    // is open never answers it: it waits, in order, for takeWaitingReading().
    int message(Icon icon, const QString& caption, const QString& text,
                Buttons buttons = Buttons::Ok);
    // The text typed, or nothing when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& title) = 0;
    virtual void setBusy(bool busy) = 0;
    // Runs `exec`, which shows a modal window of the program's own (a print
    // preview) and returns its result. Readings made meanwhile are kept as
    // a box keeps them, instead of typing into that window.
    virtual int runKeepingReadings(const std::function<int()>& exec) { return exec(); }

    // The oldest reading made while a box was open, as the reader typed it.
    std::optional<QString> takeWaitingReading();
    int waitingReadings() const { return int(waiting_.size()); }
    // The first keys of a reading still being typed when the box closed:
    // the rest of it goes to the field that has the focus now. Kept, as the
    // waiting readings are, only while a watcher is set.
    QString takeUnfinishedReading();

    // While a watcher is set, readings made during a box are kept for it;
    // with none (a box of the printing windows) they mean nothing and are
    // dropped, though they still never answer the box.
    class Watch {
      public:
        Watch(Dialogs& dialogs, BoxWatcher& watcher)
            : dialogs_(dialogs), previous_(dialogs.watcher_) {
            dialogs.watcher_ = &watcher;
        }
        ~Watch() { dialogs_.watcher_ = previous_; }
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

      private:
        Dialogs& dialogs_;
        BoxWatcher* previous_;
    };

  protected:
    virtual int showMessage(Icon icon, const QString& caption, const QString& text,
                            Buttons buttons) = 0;
    // The implementations hand over what a reader typed while their box was open.
    void keepReading(const QString& reading);
    void keepUnfinishedReading(const QString& keys);

  private:
    BoxWatcher* watcher_ = nullptr;
    std::deque<QString> waiting_;
    QString unfinished_;
};

} // namespace karvel
