#pragma once

#include "text/QevString.h"

#include <cstdint>

namespace qev
{

// A point in time: milliseconds since 1970-01-01 00:00 UTC, shown in local time.
class Date
{
public:
    explicit Date(std::int64_t millisecondsSinceEpoch) noexcept : milliseconds(millisecondsSinceEpoch) {}

    std::int64_t GetMillisecondsSinceEpoch() const noexcept { return milliseconds; }

    // "06/12/2026 - 09:05", "Sun - 06/12/2026 - 09h05m07s", "Sun_06_12_2026_09h05m07s".
    // showDate: day/month/year. showTime: hours and minutes. withUnitsAndSeconds: "09h05m07s"
    // instead of "09:05". withDayName: the weekday before the date (with showDate only).
    // forFileName: "_" between day name, date fields and time; the time keeps its own separators.
    // When local time cannot be worked out the fields read 00/01/1900 00:00.
    String ConvertToString(bool showDate, bool showTime, bool withUnitsAndSeconds, bool withDayName,
                           bool forFileName) const noexcept;

    // ConvertToString() of the current time.
    static String GetCurrentDate(bool showDate, bool showTime, bool withUnitsAndSeconds, bool withDayName,
                                 bool forFileName) noexcept;

private:
    std::int64_t milliseconds;
};

} // namespace qev
