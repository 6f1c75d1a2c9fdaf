#include "text/QevDate.h"

#include <sys/time.h>
#include <time.h>

namespace qev
{

namespace
{
char const* const dayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// localtime_r need not read the time-zone settings itself.
void loadTimeZoneOnce() noexcept
{
    static bool const loaded = (tzset(), true);
    (void)loaded;
}

// Floor division: points before 1970 still get seconds of the minute in 0..59.
std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) noexcept
{
    std::int64_t const quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

String twoDigits(int value) noexcept
{
    return String(static_cast<unsigned int>(value), String("%02u"));
}
} // namespace

String Date::ConvertToString(bool showDate, bool showTime, bool withUnitsAndSeconds, bool withDayName,
                             bool forFileName) const noexcept
{
    loadTimeZoneOnce();
    std::int64_t const seconds = floorDivide(milliseconds, 1000);
    time_t const when = static_cast<time_t>(seconds);
    tm fields{};
    if (localtime_r(&when, &fields) == nullptr)
        fields = tm{};

    String text;
    if (showDate)
    {
        char const dateSeparator = forFileName ? '_' : '/';
        if (withDayName)
        {
            int const weekday = fields.tm_wday >= 0 && fields.tm_wday < 7 ? fields.tm_wday : 0;
            text << dayNames[weekday] << (forFileName ? "_" : " - ");
        }
        text << twoDigits(fields.tm_mday) << dateSeparator << twoDigits(fields.tm_mon + 1) << dateSeparator
             << String(static_cast<long>(fields.tm_year) + 1900L);
        if (showTime)
            text << (forFileName ? "_" : " - ");
    }
    if (showTime)
    {
        text << twoDigits(fields.tm_hour) << (withUnitsAndSeconds ? 'h' : ':') << twoDigits(fields.tm_min);
        if (withUnitsAndSeconds)
            text << 'm' << twoDigits(static_cast<int>(seconds - floorDivide(seconds, 60) * 60)) << 's';
    }
    return text;
}

String Date::GetCurrentDate(bool showDate, bool showTime, bool withUnitsAndSeconds, bool withDayName,
                            bool forFileName) noexcept
{
    timeval now{};
    gettimeofday(&now, nullptr);
    Date const current(static_cast<std::int64_t>(now.tv_sec) * 1000 +
                       static_cast<std::int64_t>(now.tv_usec) / 1000);
    return current.ConvertToString(showDate, showTime, withUnitsAndSeconds, withDayName, forFileName);
}

} // namespace qev
