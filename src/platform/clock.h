#pragma once
// The present date and time. Tests fix it (tests/doubles/fixed_clock.h) to
// check journal dates, backup day numbers and loan durations.

#include <QDateTime>

namespace karvel {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

class SystemClock final : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace karvel
