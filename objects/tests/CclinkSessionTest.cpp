// The `maxhost` program on the example session, as the README's run command plays it: the whole
// output is compared, with the scratch folder and the packets' memory addresses masked.

#include "CclinkTestSupport.h"

#include <cstdio>
#include <regex>
#include <sys/wait.h>

using namespace cclinktest;

namespace
{

TEST(CclinkSession, TheExampleSessionPlaysAsDocumented)
{
    TemporaryFolder folder;
    for (char const* name : {"two-mappings.xml", "shared-controller.xml"})
        std::filesystem::copy_file(examplePath(name), folder / name);
    // No display: the session must read the same everywhere. The system log's copies of the
    // exceptions go to standard error and are not compared.
    std::string const command = "cd '" + folder.path.string() +
                                "' && env -u DISPLAY -u XDG_DATA_HOME HOME='" + folder.path.string() + "' '" +
                                CCLINK_MAXHOST + "' '" + examplePath("session.maxhost") + "'";
    FILE* const pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    while (std::size_t const n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    int const status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;

    std::string masked = std::regex_replace(output, std::regex(" 0x[0-9a-f]+"), " ADDRESS");
    std::string const folderText = folder.path.string();
    for (std::size_t at = masked.find(folderText); at != std::string::npos; at = masked.find(folderText))
        masked.replace(at, folderText.size(), "TMP");
    std::string const expected = readFile(std::string(CCLINK_TEST_DATA) + "/session.expected");
    EXPECT_EQ(masked, expected);
}

} // namespace
