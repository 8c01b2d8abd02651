#include "platform/localclock.h"

#include <QDateTime>

#include "platform/localetext.h"

namespace platform {

namespace {

// The stretch in which QDateTime takes a local time straight from the C library: outside it Qt
// applies rules of its own (no daylight saving before the epoch, an equivalent year after
// 2037), so those instants go through QDateTime.
constexpr time_t kFirstDirect = 0;
constexpr time_t kLastDirect = 2145916799;  // 2037-12-31 23:59:59 UTC

constexpr int kSecondsPerDay = 24 * 60 * 60;

}  // namespace

LocalClock::LocalClock() : timeFormat_(longTimeFormat(locale_)) {
    ::tzset();
}

LocalClock::Local LocalClock::toLocal(time_t seconds) const {
    if (seconds == lastSeconds_ && last_.date.isValid()) {
        return last_;
    }
    struct tm parts {};
    Local result;
    if (seconds >= kFirstDirect && seconds <= kLastDirect && ::localtime_r(&seconds, &parts) &&
        parts.tm_sec < 60) {
        result = {QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
                  QTime(parts.tm_hour, parts.tm_min, parts.tm_sec)};
    } else {
        const QDateTime local =
            QDateTime::fromSecsSinceEpoch(static_cast<qint64>(seconds), Qt::LocalTime);
        result = {local.date(), local.time()};
    }
    lastSeconds_ = seconds;
    last_ = result;
    return result;
}

const LocalClock::Day& LocalClock::day(const QDate& date) const {
    const auto known = days_.find(date.toJulianDay());
    if (known != days_.end()) {
        return known->second;
    }
    Day result;
    const QDateTime first(date, QTime(0, 0), Qt::LocalTime);
    const QDateTime last(date, QTime(23, 59, 59), Qt::LocalTime);
    if (first.isValid() && last.isValid()) {
        result.start = first.toSecsSinceEpoch();
        const qint64 noon = result.start + kSecondsPerDay / 2;
        if (last.toSecsSinceEpoch() == result.start + kSecondsPerDay - 1 &&
            result.start >= kFirstDirect && last.toSecsSinceEpoch() <= kLastDirect) {
            const Local middle = toLocal(static_cast<time_t>(noon));
            result.plain = middle.date == date && middle.time == QTime(12, 0);
        }
    }
    return days_.emplace(date.toJulianDay(), result).first->second;
}

LocalClock::Instant LocalClock::toEpoch(const QDate& date, const QTime& time) const {
    if (date.isValid() && time.isValid() && time.msec() == 0) {
        const Day& known = day(date);
        if (known.plain) {
            return {true, known.start + QTime(0, 0).secsTo(time)};
        }
    }
    const QDateTime local(date, time, Qt::LocalTime);
    if (!local.isValid()) {
        return {};
    }
    return {true, local.toSecsSinceEpoch()};
}

QString LocalClock::dateText(const QDate& date) const {
    if (!date.isValid()) {
        return {};
    }
    auto [at, added] = dateTexts_.try_emplace(date.toJulianDay());
    if (added) {
        at->second = locale_.toString(date, QLocale::ShortFormat);
    }
    return at->second;
}

QString LocalClock::timeText(const QTime& time) const {
    if (!time.isValid()) {
        return {};
    }
    auto [at, added] = timeTexts_.try_emplace(time.msecsSinceStartOfDay());
    if (added) {
        at->second = locale_.toString(time, timeFormat_);
    }
    return at->second;
}

}  // namespace platform
