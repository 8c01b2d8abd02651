// File times in local calendar terms, for runs that convert many of them: the zone is read
// once, when the clock is made, instead of once per conversion (Qt's local time asks the C
// library to look at the zone file again on every call). The results are those of QDateTime
// with Qt::LocalTime, to the second; where the C library and Qt could differ (before 1970,
// after 2037, a day with a change of offset) the clock asks QDateTime itself.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <ctime>
#include <unordered_map>

namespace platform {

class LocalClock {
public:
    LocalClock();

    struct Local {
        QDate date;
        QTime time;  // whole seconds
    };
    // The local date and time of day of `seconds` since the epoch.
    Local toLocal(time_t seconds) const;
    // The seconds since the epoch of a local date and time of day, as
    // QDateTime(date, time, Qt::LocalTime) has them; not valid for a local time that does not
    // exist (skipped by a change of offset).
    struct Instant {
        bool valid = false;
        qint64 seconds = 0;
    };
    Instant toEpoch(const QDate& date, const QTime& time) const;

    // The texts of platform::shortDateText and platform::longTimeText, made once per value.
    QString dateText(const QDate& date) const;
    QString timeText(const QTime& time) const;

private:
    struct Day {
        bool plain = false;  // one offset all day: a time of day is its start plus its seconds
        qint64 start = 0;
    };
    const Day& day(const QDate& date) const;

    QLocale locale_;
    QString timeFormat_;
    // The last instant converted: the files of a folder often share their times.
    mutable time_t lastSeconds_ = 0;
    mutable Local last_;
    mutable std::unordered_map<qint64, Day> days_;
    mutable std::unordered_map<qint64, QString> dateTexts_;
    mutable std::unordered_map<int, QString> timeTexts_;
};

}  // namespace platform
