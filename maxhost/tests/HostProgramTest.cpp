// The `maxhost` program end to end: each script in tests/data against its expected output.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

struct ProgramRun
{
    int status = -1;
    std::string out;
    std::string err;
};

std::string readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string scratch(char const* name)
{
    return (::testing::TempDir() + "maxhost_" + std::to_string(getpid()) + "_") + name;
}

// Runs the program with a shell command line after its path; the output goes through files.
ProgramRun runProgram(std::string const& arguments, std::string const& input = "")
{
    std::string const in = scratch("in"), out = scratch("out"), err = scratch("err");
    std::ofstream(in) << input;
    std::string const command =
        std::string(MAXHOST_PROGRAM) + " " + arguments + " <" + in + " >" + out + " 2>" + err;
    int const status = std::system(command.c_str());
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(out);
    run.err = readFile(err);
    std::remove(in.c_str());
    std::remove(out.c_str());
    std::remove(err.c_str());
    return run;
}

std::string const bundleArgument = std::string("--bundle ") + MAXHOST_TESTBUNDLE;

// Packet addresses differ from run to run.
std::string maskAddresses(std::string const& text)
{
    return std::regex_replace(text, std::regex("(FullPacket -?[0-9]+ 0x)[0-9a-f]+"), "$1ADDRESS");
}

std::vector<std::string> scripts()
{
    std::vector<std::string> names;
    if (DIR* const dir = opendir(MAXHOST_TEST_DATA))
    {
        while (dirent const* const entry = readdir(dir))
        {
            std::string const name = entry->d_name;
            if (name.size() > 7 && name.compare(name.size() - 7, 7, ".script") == 0)
                names.push_back(name.substr(0, name.size() - 7));
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Script : public ::testing::TestWithParam<std::string>
{
};

} // namespace

TEST_P(Script, PrintsTheExpectedLines)
{
    std::string const base = std::string(MAXHOST_TEST_DATA) + "/" + GetParam();
    ProgramRun const run = runProgram(bundleArgument + " " + base + ".script");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(maskAddresses(run.out), readFile(base + ".expected"));
}

INSTANTIATE_TEST_SUITE_P(MaxhostProgram, Script, ::testing::ValuesIn(scripts()),
                         [](::testing::TestParamInfo<std::string> const& info) { return info.param; });

TEST(MaxhostProgram, ReadsStandardInputOrTheFilesInOrder)
{
    std::string const preamble =
        "host: class_addmethod: typed: only A_GIMME, A_CANT or no argument are supported\n"
        "post: typed method refused\n"
        "host: class_addattr: hosttest: attribute outside lies outside the object record\n"
        "post: attribute outside the record refused\n"
        "post: hosttest loaded, host version 800\n";
    std::string const ending = "post: freed with level 3\npost: gui shut down\n";
    ProgramRun const fromInput = runProgram(bundleArgument, "bang\n1 2"); // the last line needs no newline
    EXPECT_EQ(fromInput.status, 0);
    EXPECT_EQ(fromInput.out, preamble + "outlet 0: bang\noutlet 1: list 1 2\n" + ending);

    std::string const first = scratch("first"), second = scratch("second");
    std::ofstream(first) << "a\n";
    std::ofstream(second) << "b";
    ProgramRun const fromFiles = runProgram(bundleArgument + " " + first + " - " + second, "c\n");
    EXPECT_EQ(fromFiles.status, 0);
    EXPECT_EQ(fromFiles.out, preamble + "outlet 0: a\noutlet 0: c\noutlet 0: b\n" + ending);
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST(MaxhostProgram, ExitsWithTwoWhenItCannotStart)
{
    struct Case
    {
        std::string arguments;
        char const* message;
    };
    Case const cases[] = {
        {"--bundle /nonexistent/x.so", "maxhost: cannot load the bundle /nonexistent/x.so: "},
        {std::string("--bundle ") + MAXHOST_TEST_DATA + "/messages.script",
         "maxhost: cannot load the bundle "},
        {std::string("--bundle ") + MAXHOST_EMPTYBUNDLE, "registers no class"},
        {bundleArgument + " /nonexistent/script", "maxhost: cannot read /nonexistent/script"},
        {"--bundle", "maxhost: --bundle needs a path"},
        {"--frobnicate", "maxhost: unknown option --frobnicate"},
    };
    for (Case const& c : cases)
    {
        ProgramRun const run = runProgram(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    ProgramRun const help = runProgram("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: maxhost [--bundle PATH] [FILE...]", 0), 0u);
}
