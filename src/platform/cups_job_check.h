#pragma once
// Whether a job handed to a CUPS queue was taken and can come out. Qt sends
// the job without telling whether the queue took it; the server knows.

#include <QString>

namespace karvel {

class CupsJobCheck {
  public:
    // Notes the last job of this user on `queue`, before a new one is sent.
    explicit CupsJobCheck(QString queue);

    // Throws the error to show when the job sent since was refused by the
    // queue (68), has failed (57), or waits on a stopped queue (68). A waiting
    // job is then cancelled: it would come out later, after the user was
    // told it failed.
    void confirm() const;

  private:
    QString queue_;
    int lastJob_ = 0;
};

} // namespace karvel
