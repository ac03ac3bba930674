#include "shell/system_end.h"

#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace karvel {

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP};

// The pipe's writing end: all that a signal handler may touch.
volatile std::sig_atomic_t endPipe = -1;

void onEndSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(endPipe, &byte, 1);
    errno = saved;
}

} // namespace

SystemEnd::SystemEnd() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    endPipe = pipe_[1];
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kEndSignals)
        ::sigaction(signal, &action, nullptr);
}

SystemEnd::~SystemEnd() {
    for (const int signal : kEndSignals)
        std::signal(signal, SIG_DFL);
    endPipe = -1;
    for (const int fd : pipe_) {
        if (fd >= 0)
            ::close(fd);
    }
}

void SystemEnd::whenAsked(std::function<void()> end) {
    end_ = std::move(end);
    // The session manager asks the program to save before the session ends.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { end_(); });
    qGuiApp->installEventFilter(this);
    if (pipe_[0] < 0)
        return;
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
        }
        end_();
    });
}

bool SystemEnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qGuiApp && event->type() == QEvent::Quit && event->spontaneous()) {
        end_();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace karvel
