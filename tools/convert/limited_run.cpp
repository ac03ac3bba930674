#include "limited_run.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace karvel::convert {

namespace {

using Clock = std::chrono::steady_clock;

// A line longer than this is passed on in pieces, so that a child writing
// without line ends never makes this process grow.
constexpr qsizetype kLongestLine = 4096;
// AddressSanitizer's shadow memory takes terabytes of address space: a build
// checked by it sets no limit on the address space.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif
// How often the end of a child that closed its pipes is looked for.
constexpr int kExitPollMs = 20;

// The lines of one pipe from the child: the first `keep` are given on, the
// others counted.
class PipeLines {
  public:
    PipeLines(int fd, TextLine sink, qint64 keep) : fd_(fd), sink_(std::move(sink)), keep_(keep) {}
    ~PipeLines() { close(); }
    PipeLines(const PipeLines&) = delete;
    PipeLines& operator=(const PipeLines&) = delete;

    int fd() const { return fd_; }
    qint64 dropped() const { return dropped_; }

    // Reads what the pipe holds; at its end, gives the last unended line.
    void read() {
        char buffer[65536];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) {
            if (!pending_.isEmpty())
                line(pending_);
            close();
            return;
        }
        pending_.append(buffer, qsizetype(n));
        qsizetype end = 0;
        while ((end = pending_.indexOf('\n')) >= 0) {
            line(pending_.left(end));
            pending_.remove(0, end + 1);
        }
        if (pending_.size() > kLongestLine) {
            line(pending_);
            pending_.clear();
        }
    }

  private:
    void line(const QByteArray& bytes) {
        if (given_ < keep_) {
            ++given_;
            sink_(QString::fromUtf8(bytes));
        } else {
            ++dropped_;
        }
    }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    int fd_;
    TextLine sink_;
    qint64 keep_;
    qint64 given_ = 0;
    qint64 dropped_ = 0;
    QByteArray pending_;
};

void setLimit(int resource, rlim_t value) {
    const rlimit limit{value, value};
    ::setrlimit(resource, &limit);
}

// In the child, between fork and exec: only calls safe in a copy of a process
// that may have had other threads.
[[noreturn]] void becomeChild(const char* program, char* const argv[], int out, int err,
                              const RunLimits& limits, pid_t parent) {
    // The child ends with this process, even when this one is killed: it
    // would otherwise write on under a name a later run takes up again.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
        ::_exit(127);
    if (::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0)
        ::_exit(127);
    // The system sends SIGXCPU at the soft limit, SIGKILL a second later.
    const rlimit processor{rlim_t(limits.processor.count()), rlim_t(limits.processor.count() + 1)};
    ::setrlimit(RLIMIT_CPU, &processor);
    if (limits.addressSpace > 0 && !kAddressSanitizer)
        setLimit(RLIMIT_AS, rlim_t(limits.addressSpace));
    // A child stopped for its limits leaves no core file in the school's folder.
    setLimit(RLIMIT_CORE, 0);
    ::execv(program, argv);
    ::_exit(127);
}

} // namespace

RunEnd runLimited(const QString& program, const QStringList& args, const RunLimits& limits,
                  const TextLine& output, const TextLine& errors) {
    RunEnd end;
    // Everything the child needs is made before the fork.
    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> texts{path};
    for (const QString& arg : args)
        texts.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return end;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return end;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeChild(path.constData(), argv.data(), out[1], err[1], limits, parent);
    ::close(out[1]);
    ::close(err[1]);
    PipeLines outLines(out[0], output, std::numeric_limits<qint64>::max());
    PipeLines errLines(err[0], errors, limits.errorLines);
    if (pid < 0)
        return end;

    const Clock::time_point deadline = Clock::now() + limits.wallClock;
    int status = 0;
    for (;;) {
        std::vector<pollfd> fds;
        for (const PipeLines* lines : {&outLines, &errLines}) {
            if (lines->fd() >= 0)
                fds.push_back({lines->fd(), POLLIN, 0});
        }
        if (fds.empty() && ::waitpid(pid, &status, WNOHANG) == pid)
            break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            end.how = RunEnd::How::OutOfTime;
            end.droppedErrorLines = errLines.dropped();
            return end;
        }
        const int wait = int(std::min<qint64>(left, fds.empty() ? kExitPollMs : 1000));
        if (::poll(fds.data(), nfds_t(fds.size()), wait) <= 0)
            continue;
        for (const pollfd& fd : fds) {
            if (fd.revents == 0)
                continue;
            (fd.fd == outLines.fd() ? outLines : errLines).read();
        }
    }
    end.droppedErrorLines = errLines.dropped();
    if (WIFEXITED(status)) {
        end.how = RunEnd::How::Exited;
        end.code = WEXITSTATUS(status);
    } else {
        end.how = RunEnd::How::Stopped;
        end.code = WTERMSIG(status);
    }
    return end;
}

} // namespace karvel::convert
