#include "common/QevConsoleLog.h"
#include "common/QevException.h"
#include "common/QevExceptions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <syslog.h>

using qev::ConsoleLog;
using qev::Exception;
using qev::SourceLineInfo;
using qev::String;

namespace
{

class ExceptionTest : public ::testing::Test
{
protected:
    void SetUp() override { savedType = ConsoleLog::type; }
    void TearDown() override { ConsoleLog::type = savedType; }
    int savedType = 0;
};

TEST_F(ExceptionTest, LogText)
{
    struct Case
    {
        char const* message;
        SourceLineInfo where;
        bool logWithLocation;
        char const* expected;
    };
    Case const cases[] = {
        {"Couldn't create object", SourceLineInfo("trov5.cclink", 367), true,
         "Exception occurred in \"trov5.cclink\" (line 367): \nCouldn't create object\n\n\n"},
        {"out of memory", SourceLineInfo("/deep/folder/QevAlloc", 0), true,
         "Exception occurred in \"QevAlloc\": \nout of memory\n\n\n"},
        {"no place", SourceLineInfo(String()), true, "Exception occurred: no place\n\n\n"},
        {"not asked", SourceLineInfo("QevString", 12), false, "Exception occurred: not asked\n\n\n"},
    };
    ConsoleLog::type = 1;
    for (Case const& c : cases)
    {
        testing::internal::CaptureStderr();
        Exception e(String(c.message), c.where, c.logWithLocation, false);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected);
    }

    ConsoleLog::type = 2;
    testing::internal::CaptureStdout();
    ConsoleLog::Print(String("to standard output"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "to standard output\n");

    ConsoleLog::type = 3; // any other destination writes nothing
    testing::internal::CaptureStderr();
    ConsoleLog::Print(String("lost"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(ExceptionTest, MessagesAndLocations)
{
    ConsoleLog::type = -1;
    SourceLineInfo const here("a/b/ExceptionTest.cpp", 7);
    Exception const original(String("first"), here, true, false);

    struct Case
    {
        Exception e;
        char const* what;
        char const* location;
    };
    Case const cases[] = {
        {qev::exceptions::Unknown(here), "Unknown exception", "\"ExceptionTest.cpp\" (line 7)"},
        {qev::exceptions::NoSuchFile(String("/tmp/x"), here), "Could not find file \"/tmp/x\"",
         "\"ExceptionTest.cpp\" (line 7)"},
        {qev::exceptions::UnsupportedFile(String("/tmp/y.mid"), here),
         "Could not open file \"/tmp/y.mid\". Unsupported format?", "\"ExceptionTest.cpp\" (line 7)"},
        {Exception(std::runtime_error("standard"), SourceLineInfo(nullptr, 0), true, false), "standard",
         "\"\""},
        {Exception(original, SourceLineInfo(String("a/b")), true, false), "first", "\"a/b\""},
    };
    for (Case const& c : cases)
    {
        EXPECT_STREQ(c.e.what(), c.what);
        EXPECT_EQ(c.e.GetLocation().ToString().GetStdString(), c.location);
    }
}

TEST_F(ExceptionTest, SystemLogRestoresTheProcessMask)
{
    ConsoleLog::type = 0;
    int const hostMask = LOG_UPTO(LOG_DEBUG);
    int const before = setlogmask(hostMask);

    testing::internal::CaptureStderr();
    ConsoleLog::Print(String("system log line"));
    std::string const copied = testing::internal::GetCapturedStderr();

    EXPECT_EQ(setlogmask(0), hostMask); // 0 only reads the mask
    setlogmask(before);
    EXPECT_NE(copied.find("qev"), std::string::npos) << copied;
    EXPECT_NE(copied.find("system log line"), std::string::npos) << copied;
}

} // namespace
