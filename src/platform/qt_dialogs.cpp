#include "platform/qt_dialogs.h"

#include "platform/reading_rhythm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

namespace karvel {

namespace {

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

ReadingRhythm::Key kindOf(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return ReadingRhythm::Key::Enter;
    const QString text = event.text();
    const bool chord =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!chord && !text.isEmpty() && text.at(0).isPrint())
        return ReadingRhythm::Key::Printable;
    return ReadingRhythm::Key::Other;
}

// Sits in front of an open box for as long as it is open: every key the
// application receives goes through it first. Keys of a reading are kept
// away from the box (their Enter would answer it, their letters trigger its
// buttons); a person's keys reach it a gap later, unchanged.
class ReaderKeyCatcher final : public QObject {
  public:
    explicit ReaderKeyCatcher(std::function<void(const QString&)> kept) : kept_(std::move(kept)) {
        clock_.start();
        idle_.setSingleShot(true);
        // A coarse timer may fire a little early, while the keys held still
        // look like a burst; a person's key must never stay held.
        idle_.setTimerType(Qt::PreciseTimer);
        idle_.setInterval(int(kReaderKeyGapMs) + 1);
        connect(&idle_, &QTimer::timeout, this, [this] {
            if (const int released = rhythm_.idle(clock_.elapsed()))
                release(released);
            else if (rhythm_.heldKeys() > 0)
                idle_.start();
        });
        qApp->installEventFilter(this);
    }
    ~ReaderKeyCatcher() override { qApp->removeEventFilter(this); }

    // The keys of a reading still being typed when the box closed.
    QString unfinished() const {
        return rhythm_.burstGoingOn(clock_.elapsed()) ? rhythm_.held() : QString();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (replaying_ || !watched->isWidgetType())
            return false;
        if (event->type() == QEvent::KeyRelease)
            return swallowRelease(static_cast<QKeyEvent&>(*event));
        if (event->type() != QEvent::KeyPress)
            return false;
        auto& key = static_cast<QKeyEvent&>(*event);
        if (isModifierKey(key.key()) || key.isAutoRepeat())
            return false;
        const ReadingRhythm::Verdict verdict =
            rhythm_.press(kindOf(key), key.text(), clock_.elapsed());
        release(verdict.release);
        if (verdict.hold) {
            held_.push_back({QPointer<QWidget>(static_cast<QWidget*>(watched)), key.key(),
                             key.modifiers(), key.text()});
            releasesToSwallow_.push_back(key.key());
            idle_.start();
            return true;
        }
        if (!verdict.reading.isEmpty()) {
            held_.clear();
            releasesToSwallow_.push_back(key.key());
            kept_(verdict.reading);
            return true;
        }
        return false;
    }

  private:
    struct HeldKey {
        QPointer<QWidget> target;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };

    bool swallowRelease(const QKeyEvent& event) {
        const auto found =
            std::find(releasesToSwallow_.begin(), releasesToSwallow_.end(), event.key());
        if (found == releasesToSwallow_.end())
            return false;
        releasesToSwallow_.erase(found);
        return true;
    }

    // The first `count` held keys were a person's: they reach the box now,
    // pressed and released, as they were typed.
    void release(int count) {
        replaying_ = true;
        for (int i = 0; i < count && !held_.empty(); ++i) {
            const HeldKey key = held_.front();
            held_.erase(held_.begin());
            if (!key.target)
                continue;
            QKeyEvent press(QEvent::KeyPress, key.key, key.modifiers, key.text);
            QCoreApplication::sendEvent(key.target, &press);
            if (key.target) {
                QKeyEvent up(QEvent::KeyRelease, key.key, key.modifiers, key.text);
                QCoreApplication::sendEvent(key.target, &up);
            }
        }
        replaying_ = false;
    }

    std::function<void(const QString&)> kept_;
    ReadingRhythm rhythm_;
    std::vector<HeldKey> held_;
    std::vector<int> releasesToSwallow_;
    QElapsedTimer clock_;
    QTimer idle_;
    bool replaying_ = false;
};

// The window a box stood over is active again once it closes, so that the
// keys typed next reach its focused field. Without a window manager, or with
// one that does not give the focus back, they would go nowhere.
void giveBackActivation(const QWidget& box) {
    if (QWidget* window = box.parentWidget())
        window->activateWindow();
}

QString waitingNote(int waiting) {
    if (waiting == 0)
        return QString();
    return waiting == 1 ? QStringLiteral("1 lecture en attente")
                        : QStringLiteral("%1 lectures en attente").arg(waiting);
}

} // namespace

int QtDialogs::runKeepingReadings(const std::function<int()>& exec) {
    ReaderKeyCatcher catcher([this](const QString& reading) { keepReading(reading); });
    const int result = exec();
    keepUnfinishedReading(catcher.unfinished());
    return result;
}

int QtDialogs::showMessage(Icon icon, const QString& caption, const QString& text,
                           Buttons buttons) {
    if (nobody_) {
        std::fprintf(stderr, "%s : %s\n", qUtf8Printable(caption), qUtf8Printable(text));
        switch (buttons) {
        case Buttons::Ok:
            return AnswerOk;
        case Buttons::OkCancel:
            return AnswerCancel;
        case Buttons::YesNo:
            return AnswerNo;
        }
    }
    // Above the window it is about, so that nothing on that window hides it.
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Annuler"));
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    box.setInformativeText(waitingNote(waitingReadings()));
    ReaderKeyCatcher catcher([&](const QString& reading) {
        keepReading(reading);
        box.setInformativeText(waitingNote(waitingReadings()));
    });

    // A pointer left busy by the caller would hide that the box waits for an answer.
    const bool wasBusy = busy_;
    if (wasBusy)
        QApplication::restoreOverrideCursor();
    const int result = box.exec();
    if (wasBusy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    keepUnfinishedReading(catcher.unfinished());
    giveBackActivation(box);
    switch (result) {
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    case QMessageBox::Cancel:
        return AnswerCancel;
    default:
        return AnswerOk;
    }
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title) {
    if (nobody_)
        return std::nullopt;
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annuler"));
    // The start of a reading cut short by the box before: the rest follows.
    dialog.setTextValue(takeUnfinishedReading());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    giveBackActivation(dialog);
    if (!accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtDialogs::setBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace karvel
