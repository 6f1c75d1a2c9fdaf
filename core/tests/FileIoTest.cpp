#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "files/QevBinaryFile.h"
#include "files/QevFileReader.h"
#include "files/QevFileWriter.h"
#include "files/QevTemporaryFile.h"
#include "files/QevTextFileReader.h"
#include "memory/QevMemoryBlock.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

using namespace qev;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace
{

class FileIo : public qevtest::FolderTest
{
protected:
    FileIo() : FolderTest("fileio"), dataHome("XDG_DATA_HOME", pathOf("share").c_str()) {}

    // Replaced files go to this trash, never to the user's.
    qevtest::ScopedEnvironment const dataHome;
};

} // namespace

TEST_F(FileIo, ReaderSeeksLazilyAndNeverReturnsPartOfAWholeFile)
{
    put("f", "0123456789");
    FileReader reader(fileOf("f"));
    char buffer[16] = {};
    EXPECT_EQ(reader.Read(buffer, 4), 4);
    reader.SetPosition(-1);
    EXPECT_EQ(reader.GetPosition(), 0);
    EXPECT_EQ(reader.Read(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "01");
    reader.SetPosition(8);
    EXPECT_EQ(reader.Read(buffer, 16), 2);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_TRUE(reader.IsExhausted());
    reader.SetPosition(99);
    EXPECT_EQ(reader.GetPosition(), 10);
    MemoryBlock block;
    EXPECT_EQ(reader.Read(block), 10);
    EXPECT_EQ(std::string(block.GetData(), block.GetSize()), "0123456789");

    ASSERT_EQ(::truncate(pathOf("f").c_str(), 3), 0);
    EXPECT_THROW(reader.Read(block), Exception);
    EXPECT_TRUE(block.IsEmpty());

    EXPECT_THROW(FileReader(fileOf("missing")), exceptions::NoSuchFile);
    EXPECT_THROW(FileReader(File(root.c_str())), exceptions::NoSuchFile);
    ASSERT_EQ(::mkfifo(pathOf("fifo").c_str(), 0600), 0);
    EXPECT_EQ(FileReader(fileOf("fifo")).Read(block), 0) << "a FIFO must not block the reader";
}

TEST_F(FileIo, DescriptorsAreCloseOnExecAndZeroIsValid)
{
    put("r", "x");
    put("t", "x");
    FileReader reader(fileOf("r"));
    FileWriter writer(fileOf("w"));
    TextFileReader lines;
    ASSERT_TRUE(lines.Open(fileOf("t")));
    int found = 0;
    for (auto const& entry : fs::directory_iterator("/proc/self/fd"))
    {
        std::error_code error;
        std::string const target = fs::read_symlink(entry.path(), error).string();
        if (target == pathOf("r") || target == pathOf("w") || target == pathOf("t"))
        {
            ++found;
            EXPECT_NE(::fcntl(std::stoi(entry.path().filename().string()), F_GETFD) & FD_CLOEXEC, 0)
                << target;
        }
    }
    EXPECT_EQ(found, 3);

    // With standard input closed the next file opened gets descriptor 0.
    EXPECT_EQ(qevtest::exitStatusInChild(
                  [&]
                  {
                      ::close(0);
                      FileWriter zero(fileOf("zero"));
                      return zero.Write("abc", 3) && zero.Close() ? 0 : 1;
                  }),
              0);
    EXPECT_EQ(get("zero"), "abc");
}

TEST_F(FileIo, WriterAppendsChecksAndRefuses)
{
    put("ten", "0123456789");
    {
        FileWriter writer(fileOf("ten"));
        EXPECT_EQ(writer.GetPosition(), 10);
        EXPECT_TRUE(writer.Write("abc", 3));
        EXPECT_TRUE(writer.Close());
        EXPECT_FALSE(writer.Write("d", 1)) << "written after closing";
        EXPECT_FALSE(writer.Close());
    }
    EXPECT_EQ(get("ten"), "0123456789abc");

    EXPECT_THROW(FileWriter(fileOf("ten/child")), Exception);
    EXPECT_THROW(FileWriter(fileOf("ten"), FileWriter::Mode::createNew), Exception);
    fs::create_symlink(pathOf("elsewhere"), pathOf("link"));
    EXPECT_THROW(FileWriter(fileOf("link")), Exception) << "written through a dangling link";
    EXPECT_FALSE(fs::exists(pathOf("elsewhere")));

    if (fs::exists("/dev/full"))
    {
        FileWriter full(File("/dev/full"));
        EXPECT_FALSE(full.Write("abc", 3));
        EXPECT_TRUE(full.Write("", 0));
        EXPECT_FALSE(full.Close()) << "an earlier failed write must fail the close";
    }
}

TEST_F(FileIo, TextLinesEndAsAsked)
{
    std::string const longLine(200000, 'q');
    std::vector<std::tuple<std::string, bool, std::vector<std::string>>> const cases = {
        {"a\r\nb", true, {"a", "", "b"}},  {"a\r\nb", false, {"a\r", "b"}},
        {"a\n", false, {"a", ""}},         {"", false, {""}},
        {"x\0y\n"s, false, {"x\0y"s, ""}}, {longLine + "\n" + longLine, false, {longLine, longLine}},
    };
    for (auto const& [content, carriageReturnEndsLine, expected] : cases)
    {
        put("t", content);
        TextFileReader reader;
        ASSERT_TRUE(reader.Open(fileOf("t")));
        std::vector<std::string> lines;
        do
            lines.push_back(reader.GetNextLine(carriageReturnEndsLine).GetStdString());
        while (!reader.IsExhausted() && lines.size() < 10);
        EXPECT_EQ(lines, expected) << content.substr(0, 8);
    }

    // Loops on IsExhausted must end even without a file.
    TextFileReader reader;
    EXPECT_TRUE(reader.IsExhausted());
    EXPECT_FALSE(reader.Open(fileOf("missing")));
    EXPECT_TRUE(reader.IsExhausted());
}

TEST_F(FileIo, EntireFileDecodesUtf16Marks)
{
    std::vector<std::pair<std::string, std::string>> const cases = {
        {"\xFF\xFE"
         "a\0b\0c\0"s,
         "abc"},
        {"\xFE\xFF"
         "\0a\0b\0c"s,
         "abc"},
        {"\xFF\xFE", ""},
        {"\xFF\xFE"
         "a\0b"s,
         "a"},
        {"\xFF\xFE"
         "\x3D\xD8\x00\xDE"s,
         "\xF0\x9F\x98\x80"},
        {"\xFE\xFF"
         "\xD8\x3D\xDE\x00"s,
         "\xF0\x9F\x98\x80"},
        {"\xFF\xFE"
         "a\0\x3D\xD8"s,
         ""},
        {"\xFF\xFE"
         "\x00\xDE"s,
         ""},
        {"plain \xFF\0kept"s, "plain \xFF\0kept"s},
    };
    for (auto const& [bytes, expected] : cases)
    {
        put("u", bytes);
        EXPECT_EQ(TextFileReader::ReadEntireFileAsString(fileOf("u")).GetStdString(), expected) << bytes;
    }
}

TEST_F(FileIo, BinaryFilesRoundTripAndHonourThePolicy)
{
    std::string bytes(300000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 131) ^ (i >> 7));
    EXPECT_TRUE(BinaryFile::WriteData(bytes.data(), bytes.size(), fileOf("sub/data"), Overwrite::Refuse));
    MemoryBlock const block = BinaryFile::ReadData(fileOf("sub/data"));
    EXPECT_EQ(std::string(block.GetData(), block.GetSize()), bytes);

    EXPECT_TRUE(BinaryFile::WriteData(nullptr, 0, fileOf("empty"), Overwrite::Refuse));
    EXPECT_EQ(get("empty"), "");
    put("old", "old");
    EXPECT_THROW(BinaryFile::WriteData("new", 3, fileOf("old"), Overwrite::Refuse), Exception);
    EXPECT_EQ(get("old"), "old");
    EXPECT_TRUE(BinaryFile::WriteData("new", 3, fileOf("old"), Overwrite::Replace));
    EXPECT_EQ(get("old"), "new");
    EXPECT_EQ(get("share/Trash/files/old"), "old");
    EXPECT_EQ(listing(), (std::vector<std::string>{"empty", "old", "share", "sub"}));
}

TEST_F(FileIo, SaveCutShortLeavesTheTargetAlone)
{
    put("target", "precious");
    EXPECT_TRUE(qevtest::saveFailsOnAFullDisk(
        4096,
        [&]
        {
            std::string const big(100000, 'z');
            return BinaryFile::WriteData(big.data(), big.size(), fileOf("target"), Overwrite::Replace);
        }));
    EXPECT_EQ(get("target"), "precious");
    EXPECT_EQ(listing(), std::vector<std::string>{"target"});
}

TEST_F(FileIo, TemporaryFilesAreFreshSiblingsAndCleanUp)
{
    for (auto const& [target, options, pattern] : std::vector<std::tuple<std::string, int, std::string>>{
             {"map.xml", 0, "map_temp[0-9a-f]{1,8}\\.xml"},
             {"noext", 0, "noext_temp[0-9a-f]{1,8}"},
             {"a.tar.gz", TemporaryFile::useHiddenFile, "\\.a\\.tar_temp[0-9a-f]{1,8}\\.gz"},
         })
    {
        TemporaryFile const temporary(fileOf(target), options);
        std::string const path = temporary.GetFile().GetFullPathName().GetStdString();
        EXPECT_TRUE(std::regex_match(path.substr(root.size() + 1), std::regex(pattern))) << path;
        EXPECT_FALSE(temporary.OverwriteTargetFileWithTemporary()) << "never written";
    }

    put("t", "old");
    EXPECT_TRUE(TemporaryFile(fileOf("t"), 0).WriteAndReplaceTarget("new", 3));
    {
        TemporaryFile const abandoned(fileOf("t"), 0);
        FileWriter(abandoned.GetFile()).Write("junk", 4);
    }
    EXPECT_EQ(listing(), std::vector<std::string>{"t"});
    EXPECT_EQ(get("t"), "new");

    // A move that cannot succeed is retried, then reported, and the temporary file goes.
    fs::create_directories(pathOf("busy/inner"));
    EXPECT_FALSE(TemporaryFile(fileOf("busy"), 0).WriteAndReplaceTarget("x", 1));
    EXPECT_EQ(listing(), (std::vector<std::string>{"busy", "t"}));
}
