#include "text/QevDate.h"
#include "text/QevStringFormatting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <time.h>

using qev::Date;
using qev::String;
using qev::StringFormatting;

namespace
{
double const notANumber = std::numeric_limits<double>::quiet_NaN();
double const infinity = std::numeric_limits<double>::infinity();

std::string text(String const& s)
{
    return s.GetStdString();
}

String duration(double milliseconds)
{
    return StringFormatting::MakeHumanReadableDuration(
        std::chrono::duration<double, std::milli>(milliseconds));
}
} // namespace

TEST(FormattingTest, DecibelTexts)
{
    struct Case
    {
        double value;
        int decimals;
        bool withUnit;
        char const* expected;
    };
    Case const cases[] = {
        {3.0, 1, true, "+3.0 dB"},       {-6.02, 2, true, "-6.02 dB"},
        {0.0, 2, true, "0 dB"},          {-0.0, 1, false, "0"},
        {notANumber, 3, true, "0 dB"},   {-0.4, 0, false, "-0"},
        {-0.9, 0, false, "-0"},          {3.7, 0, false, "+3"},
        {6.0, 0, true, "+6 dB"},         {2.5, -1, false, "+2.5"},
        {-12.25, 1, true, "-12.3 dB"},   {0.04, 1, true, "+0.0 dB"},
        {-60.0, 1, true, "-60.0 dB"},    {0.5, 7, false, "+0.5000000"},
        {1e12, 0, false, "+2147483647"}, {-1e300, 0, false, "-2147483647"},
        {infinity, 0, true, "+inf dB"},  {-infinity, 1, false, "-inf"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(text(StringFormatting::dBToString(c.value, c.decimals, c.withUnit)), c.expected)
            << c.value << " with " << c.decimals << " decimals";
    EXPECT_EQ(text(StringFormatting::dBToString<double>(-3.0f, 1, true)), "-3.0 dB");
}

TEST(FormattingTest, DurationTexts)
{
    struct Case
    {
        double milliseconds;
        char const* expected;
    };
    Case const cases[] = {
        {12.34, "12.3 ms"},
        {-5.0, "-5.0 ms"},
        {99.99, "100.0 ms"},
        {100.0, "100 ms"},
        {999.9, "999 ms"},
        {1000.0, "1.00 sec"},
        {1500.0, "1.50 sec"},
        {30000.0, "30.00 sec"},
        {30001.0, "30 sec"},
        {30400.0, "30 sec"},
        {45000.0, "45 sec"},
        {32500.0, "32 sec"}, // halves go to the even neighbour
        {33500.0, "34 sec"},
        {59600.0, "1 min"}, // rounding carries into the minutes
        {60500.0, "1 min"},
        {61500.0, "1 min 2 sec"},
        {90000.0, "1 min 30 sec"},
        {3600000.0, "1 h"},
        {3599700.0, "1 h"}, // carries through the minutes into the hours
        {3605000.0, "1 h 0 min 5 sec"},
        {3660000.0, "1 h 1 min"},
        {3661000.0, "1 h 1 min 1 sec"},
        {7200000.0, "2 h"},
        {7205000.0, "2 h 0 min 5 sec"},
        {1e300, "4294967295 h 59 min 59 sec"},
        {infinity, "4294967295 h 59 min 59 sec"},
        {notANumber, "nan ms"},
        {-2500.0, "-2500.0 ms"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(text(duration(c.milliseconds)), c.expected) << c.milliseconds << " ms";
}

TEST(FormattingTest, FrequencyTexts)
{
    struct Case
    {
        double hertz;
        char const* withUnit;
        char const* withoutUnit;
    };
    Case const cases[] = {
        {44100.0, "44.1 kHz", "44.1k"},
        {48000.0, "48 kHz", "48k"},
        {22050.0, "22.05 kHz", "22.05k"},
        {352800.0, "352.8 kHz", "352.8k"},
        {44100.5, "44100 Hz", "44100"},
        {440.0, "440 Hz", "440"},
        {999.9, "999 Hz", "999"},
        {-5.0, "-5 Hz", "-5"},
        {0.0, "0 Hz", "0"},
        {1000.0, "1 kHz", "1k"},
        {1000.5, "1000 Hz", "1000"},
        {1500.0, "1500 Hz", "1500"},
        {2000.0, "2 kHz", "2k"},
        {192000.0, "192 kHz", "192k"},
        {999999.0, "999999 Hz", "999999"},
        {1e6, "1.00 MHz", "1.00M"},
        {2500000.0, "2.50 MHz", "2.50M"},
        {1.5e9, "1.50 GHz", "1.50G"},
        {notANumber, "0 Hz", "0"},
        {-1e12, "-2147483648 Hz", "-2147483648"},
        {infinity, "inf GHz", "infG"},
    };
    for (auto const& c : cases)
    {
        EXPECT_EQ(text(StringFormatting::FrequencyToString(c.hertz, true)), c.withUnit) << c.hertz;
        EXPECT_EQ(text(StringFormatting::FrequencyToString(c.hertz, false)), c.withoutUnit) << c.hertz;
    }
}

class DateFormattingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    // Sunday 6 December 2026, 09:05:07 UTC.
    Date const sunday{1796547907000};
};

TEST_F(DateFormattingTest, FlagCombinations)
{
    struct Case
    {
        bool date, time, units, dayName, fileName;
        char const* expected;
    };
    Case const cases[] = {
        {true, true, false, false, false, "06/12/2026 - 09:05"},
        {true, true, true, false, false, "06/12/2026 - 09h05m07s"},
        {true, true, true, true, false, "Sun - 06/12/2026 - 09h05m07s"},
        {true, true, true, true, true, "Sun_06_12_2026_09h05m07s"},
        {true, true, false, false, true, "06_12_2026_09:05"},
        {true, false, false, false, false, "06/12/2026"},
        {true, false, true, true, true, "Sun_06_12_2026"},
        {false, true, false, false, false, "09:05"},
        {false, true, false, false, true, "09:05"},
        {false, true, true, true, true, "09h05m07s"},
        {false, false, false, true, false, ""},
        {false, false, false, false, false, ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(text(sunday.ConvertToString(c.date, c.time, c.units, c.dayName, c.fileName)), c.expected);
}

TEST_F(DateFormattingTest, PointsAroundTheEpoch)
{
    EXPECT_EQ(text(Date(0).ConvertToString(true, true, true, true, false)), "Thu - 01/01/1970 - 00h00m00s");
    // 1.5 s before the epoch is still in second 58 of the last minute of 1969.
    EXPECT_EQ(text(Date(-1500).ConvertToString(true, true, true, false, false)), "31/12/1969 - 23h59m58s");
    EXPECT_EQ(text(Date(999).ConvertToString(false, true, true, false, false)), "00h00m00s");
}

TEST_F(DateFormattingTest, CurrentDateHasTheDocumentStampShape)
{
    std::string const now = text(Date::GetCurrentDate(true, true, true, false, false));
    ASSERT_EQ(now.size(), 22u) << now;
    EXPECT_EQ(now.substr(2, 1), "/");
    EXPECT_EQ(now.substr(10, 3), " - ");
    EXPECT_EQ(now.substr(15, 1), "h");
    EXPECT_EQ(now.back(), 's');
    EXPECT_GE(std::atoi(now.substr(6, 4).c_str()), 2024);
}
