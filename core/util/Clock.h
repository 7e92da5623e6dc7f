#pragma once

#include <QDateTime>

namespace ombrix {

// The one place the program asks what time it is: new set names, the UTC offset and daylight
// state that catalog times are shifted by. Tests pin it to a chosen moment and zone.
class Clock
{
  public:
    // The current moment in local time (for the fake: its UTC moment shown at its offset).
    static QDateTime currentDateTime();
    static QDateTime currentDateTimeUtc();
    // Seconds east of UTC in force now, daylight time included.
    static int utcOffsetSeconds();
    // Whether daylight time is in force now.
    static bool isDaylightTime();

    // Test seam: from here on the clock reports this moment (UTC), the given offset and the
    // daylight state, until clearFake() is called. advanceFake() moves the fake moment on.
    static void setFake(const QDateTime& utc, int utcOffsetSeconds, bool daylightTime);
    static void advanceFake(qint64 seconds);
    static void clearFake();
};

} // namespace ombrix
