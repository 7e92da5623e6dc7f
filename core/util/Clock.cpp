#include "core/util/Clock.h"

#include <mutex>
#include <optional>

namespace ombrix {

namespace {

struct FakeState
{
    QDateTime utc;
    int offset = 0;
    bool daylight = false;
};

// The update-check thread may read the clock while a test sets it, so the fake is guarded.
std::mutex fakeMutex;
std::optional<FakeState> fake;

std::optional<FakeState> currentFake()
{
    std::lock_guard lock(fakeMutex);
    return fake;
}

} // namespace

QDateTime Clock::currentDateTime()
{
    if (const auto f = currentFake())
        return f->utc.toOffsetFromUtc(f->offset);
    return QDateTime::currentDateTime();
}

QDateTime Clock::currentDateTimeUtc()
{
    if (const auto f = currentFake())
        return f->utc;
    return QDateTime::currentDateTimeUtc();
}

int Clock::utcOffsetSeconds()
{
    if (const auto f = currentFake())
        return f->offset;
    return QDateTime::currentDateTime().offsetFromUtc();
}

bool Clock::isDaylightTime()
{
    if (const auto f = currentFake())
        return f->daylight;
    return QDateTime::currentDateTime().isDaylightTime();
}

void Clock::setFake(const QDateTime& utc, int utcOffsetSeconds, bool daylightTime)
{
    std::lock_guard lock(fakeMutex);
    fake = FakeState{utc.toUTC(), utcOffsetSeconds, daylightTime};
}

void Clock::advanceFake(qint64 seconds)
{
    std::lock_guard lock(fakeMutex);
    if (fake)
        fake->utc = fake->utc.addSecs(seconds);
}

void Clock::clearFake()
{
    std::lock_guard lock(fakeMutex);
    fake.reset();
}

} // namespace ombrix
