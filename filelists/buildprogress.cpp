#include "filelists/buildprogress.h"

#include "platform/widgets/busy.h"

namespace filelists {

BuildProgress::BuildProgress(QString label, qint64 total, StatusText status)
    : label_(std::move(label)), total_(total), status_(std::move(status)) {
    sinceYield_.start();
}

bool BuildProgress::step() {
    ++done_;
    const int percent = percentDone(done_, total_);
    if (percent != shown_) {
        shown_ = percent;
        if (status_) {
            status_(kMainPanel, label_ + u' ' + QString::number(percent) + u'%');
        }
    }
    return !platform::EscapeWatch::pressed(sinceYield_);
}

int percentDone(qint64 done, qint64 total) {
    if (total <= 0) {
        return 0;
    }
    const qint64 scaled = done * 100;
    qint64 whole = scaled / total;
    const qint64 twiceRest = (scaled % total) * 2;
    if (twiceRest > total || (twiceRest == total && whole % 2 != 0)) {
        ++whole;
    }
    return static_cast<int>(whole);
}

}  // namespace filelists
