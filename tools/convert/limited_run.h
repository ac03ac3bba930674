#pragma once
// Runs a program in a child process that cannot take the machine with it: a
// wall-clock time, a processor time and an address space it cannot exceed, and
// a standard error of which only the first lines are kept.

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace karvel::convert {

struct RunLimits {
    std::chrono::seconds wallClock;
    std::chrono::seconds processor;
    // Bytes of address space; 0 sets none.
    quint64 addressSpace = 0;
    // Lines of the child's standard error passed on; the rest are only counted.
    int errorLines = 0;
};

struct RunEnd {
    enum class How { Exited, OutOfTime, Stopped, NotStarted };
    How how = How::NotStarted;
    // The exit status when it exited, the signal when it was stopped.
    int code = 0;
    // Lines of standard error beyond RunLimits::errorLines, not passed on.
    qint64 droppedErrorLines = 0;
};

using TextLine = std::function<void(const QString&)>;

// Runs `program` with `args`, giving each line of its standard output to
// `output` and the first lines of its standard error to `errors` as they come.
// A child past its wall-clock time is killed; one past its processor time or
// address space is stopped by the system.
RunEnd runLimited(const QString& program, const QStringList& args, const RunLimits& limits,
                  const TextLine& output, const TextLine& errors);

} // namespace karvel::convert
