#include "platform/cups_job_check.h"

#include "platform/errors.h"

#include <cups/cups.h>
#include <optional>

namespace karvel {

namespace {

struct Job {
    int id = 0;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
};

// The newest job of this user on `queue`, finished or not.
std::optional<Job> newestJob(const QByteArray& queue) {
    cups_job_t* jobs = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.constData(), 1, CUPS_WHICHJOBS_ALL);
    std::optional<Job> newest;
    for (int i = 0; i < count; ++i)
        if (!newest || jobs[i].id > newest->id)
            newest = Job{jobs[i].id, jobs[i].state};
    cupsFreeJobs(count, jobs);
    return newest;
}

struct Queue {
    bool accepting = false;
    bool stopped = true;
};

// What the server says of `queue`; a queue it does not know takes nothing.
Queue queueState(const QByteArray& queue) {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), nullptr);
    if (!dest)
        return {};
    auto option = [dest](const char* name) {
        return QByteArray(cupsGetOption(name, dest->num_options, dest->options));
    };
    const Queue state{option("printer-is-accepting-jobs") == "true",
                      option("printer-state").toInt() == IPP_PSTATE_STOPPED};
    cupsFreeDests(1, dest);
    return state;
}

} // namespace

CupsJobCheck::CupsJobCheck(QString queue) : queue_(std::move(queue)) {
    const std::optional<Job> last = newestJob(queue_.toLocal8Bit());
    lastJob_ = last ? last->id : 0;
}

void CupsJobCheck::confirm() const {
    const QByteArray queue = queue_.toLocal8Bit();
    const std::optional<Job> job = newestJob(queue);
    if (!job || job->id <= lastJob_) {
        // No trace of the job: refused, unless a server that keeps no
        // history has already printed and forgotten it.
        if (!queueState(queue).accepting)
            throw makeError(ErrDeviceUnavailable, queue_);
        return;
    }
    if (job->state == IPP_JSTATE_CANCELED || job->state == IPP_JSTATE_ABORTED)
        throw makeError(ErrDeviceIo, queue_);
    if (job->state != IPP_JSTATE_COMPLETED && queueState(queue).stopped) {
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job->id, 1);
        throw makeError(ErrDeviceUnavailable, queue_);
    }
}

} // namespace karvel
