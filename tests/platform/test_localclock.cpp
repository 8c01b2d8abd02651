#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/localclock.h"
#include "platform/localetext.h"

namespace {

using platform::LocalClock;

// Puts the process into one time zone for a scope, and back.
class Zone {
public:
    explicit Zone(const char* name) {
        if (const char* saved = std::getenv("TZ")) {
            saved_ = saved;
            hadZone_ = true;
        }
        setenv("TZ", name, 1);
        tzset();
    }
    ~Zone() {
        if (hadZone_) {
            setenv("TZ", saved_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    Zone(const Zone&) = delete;
    Zone& operator=(const Zone&) = delete;

private:
    std::string saved_;
    bool hadZone_ = false;
};

// Zones with whole-hour, half-hour and no daylight saving, both hemispheres.
const char* const kZones[] = {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe",
                              "Asia/Kolkata"};

bool haveZone(const char* name) {
    return std::string(name) == "UTC" ||
           std::filesystem::exists(std::string("/usr/share/zoneinfo/") + name);
}

// Instants every 15 minutes across each change of offset of 2021 in the zone (found by
// stepping through the year), and a spread over the decades including before 1970 and after
// 2037, where Qt applies rules of its own.
std::vector<qint64> instants() {
    std::vector<qint64> result;
    const qint64 year2021 = 1609459200;
    qint64 previousOffset = QDateTime::fromSecsSinceEpoch(year2021, Qt::LocalTime).offsetFromUtc();
    for (qint64 t = year2021; t < year2021 + 366 * 86400; t += 3600) {
        const qint64 offset = QDateTime::fromSecsSinceEpoch(t, Qt::LocalTime).offsetFromUtc();
        if (offset != previousOffset) {
            for (qint64 around = t - 86400; around < t + 86400; around += 900) {
                result.push_back(around);
            }
            previousOffset = offset;
        }
    }
    for (qint64 t = -2208988800; t < 4102444800; t += 86400 * 97 + 3671) {
        result.push_back(t);
    }
    for (const qint64 edge : {qint64{-1}, qint64{0}, qint64{1}, qint64{2145916799},
                              qint64{2145916800}, qint64{2147483647}, qint64{2147483648}}) {
        result.push_back(edge);
    }
    return result;
}

// Runs `check` in each zone the machine has, with a clock made there.
template <typename Check>
void inEveryZone(const Check& check) {
    for (const char* name : kZones) {
        if (!haveZone(name)) {
            continue;
        }
        const Zone zone(name);
        const LocalClock clock;
        check(name, clock);
    }
}

TEST(LocalClock, ReadsEveryInstantAsQtLocalTimeDoes) {
    inEveryZone([](const char* name, const LocalClock& clock) {
        for (const qint64 t : instants()) {
            const QDateTime expected = QDateTime::fromSecsSinceEpoch(t, Qt::LocalTime);
            const LocalClock::Local local = clock.toLocal(static_cast<time_t>(t));
            EXPECT_EQ(local.date, expected.date()) << name << " " << t;
            EXPECT_EQ(local.time, expected.time()) << name << " " << t;
        }
    });
}

TEST(LocalClock, ConvertsLocalTimesBackAsQtLocalTimeDoes) {
    inEveryZone([](const char* name, const LocalClock& clock) {
        std::vector<QDateTime> locals;
        // The local times around every change (gaps and repeated hours included) and the spread.
        for (const qint64 t : instants()) {
            const QDateTime at = QDateTime::fromSecsSinceEpoch(t, Qt::LocalTime);
            locals.push_back(at);
            // The same wall time on the day before and after, and half an hour on.
            locals.push_back(QDateTime(at.date().addDays(1), at.time(), Qt::LocalTime));
            locals.push_back(QDateTime(at.date(), at.time().addSecs(1800), Qt::LocalTime));
        }
        for (const QDateTime& wanted : locals) {
            const QDate date = wanted.date();
            // Built again from the date and time: a time in a gap makes an invalid QDateTime.
            for (const QTime& time : {wanted.time(), QTime(0, 0), QTime(23, 59, 59)}) {
                const QDateTime expected(date, time, Qt::LocalTime);
                const LocalClock::Instant got = clock.toEpoch(date, time);
                ASSERT_EQ(got.valid, expected.isValid())
                    << name << " " << date.toString(Qt::ISODate).toStdString() << " "
                    << time.toString().toStdString();
                if (got.valid) {
                    EXPECT_EQ(got.seconds, expected.toSecsSinceEpoch())
                        << name << " " << date.toString(Qt::ISODate).toStdString() << " "
                        << time.toString().toStdString();
                }
            }
        }
    });
}

TEST(LocalClock, WritesTheTextsOfTheLocaleTextFunctions) {
    const QLocale saved;
    for (const char* locale : {"en_US", "de_DE", "ar_EG", "ja_JP"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        const LocalClock clock;
        for (const QDate& date : {QDate(2021, 3, 28), QDate(1969, 12, 31), QDate(2040, 1, 9)}) {
            EXPECT_EQ(clock.dateText(date), platform::shortDateText(date)) << locale;
            EXPECT_EQ(clock.dateText(date), platform::shortDateText(date)) << locale << " again";
        }
        for (const QTime& time : {QTime(0, 0), QTime(2, 30, 5), QTime(23, 59, 59)}) {
            EXPECT_EQ(clock.timeText(time), platform::longTimeText(time)) << locale;
        }
        EXPECT_TRUE(clock.dateText(QDate()).isEmpty());
        EXPECT_TRUE(clock.timeText(QTime()).isEmpty());
    }
    QLocale::setDefault(saved);
}

}  // namespace
