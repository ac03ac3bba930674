#pragma once
// The system ending the program: SIGTERM, SIGHUP, or the session manager
// ending the session. KarVel then quits as "Oui, je quitte" does, with no
// question: a signal handler only writes into a pipe, which the
// user-interface thread watches and answers between two events.
//
// A lost connection to the display is not among them: Qt then ends the
// process itself, and no event loop is left to run the backups in. Every
// save is committed as it is made, so nothing saved is lost; the day's
// backups stay as the last quit left them.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace karvel {

class SystemEnd final : public QObject {
  public:
    // Catches the signals from now on; a request waits for whenAsked().
    SystemEnd();
    ~SystemEnd() override;
    SystemEnd(const SystemEnd&) = delete;
    SystemEnd& operator=(const SystemEnd&) = delete;

    // Runs `end` on the user-interface thread at each request, one made
    // before included.
    void whenAsked(std::function<void()> end);

  protected:
    // The platform's own end of the session (the session manager's last
    // word) comes as a spontaneous Quit event.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> end_;
};

} // namespace karvel
