#pragma once
// A clock for tests: the moment it is set to, until it is set again.

#include "platform/clock.h"

namespace karvel {

class FixedClock final : public Clock {
  public:
    explicit FixedClock(QDateTime moment) : moment_(std::move(moment)) {}
    QDateTime now() const override { return moment_; }
    void set(QDateTime moment) { moment_ = std::move(moment); }

  private:
    QDateTime moment_;
};

} // namespace karvel
