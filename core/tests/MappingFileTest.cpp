#include "common/QevException.h"
#include "common/QevExceptions.h"
#include "files/QevFile.h"
#include "midi/QevMidiOscMap.h"
#include "support/TestFiles.h"
#include "text/QevXmlElement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>

using namespace qev;
namespace fs = std::filesystem;

namespace
{

// channel, controller, address, minimum, maximum, exponent, current MIDI, current OSC
using Row = std::tuple<int, int, std::string, float, float, float, float, float>;
using Rows = std::vector<Row>;

Rows rowsOf(MidiOscMap const& map)
{
    Rows rows;
    for (std::size_t i = 0; i < map.GetNumEntries(); ++i)
    {
        MidiOscMap::Entry const& e = map.GetEntry(i);
        rows.emplace_back(e.channel, e.controller, e.address.GetText().GetStdString(), e.minimum, e.maximum,
                          e.exponent, e.currentMidi, e.currentOsc);
    }
    return rows;
}

// The exception's text and line ("text @line"), or empty when body throws nothing.
template <typename Body> std::string failureOf(Body body)
{
    try
    {
        body();
    }
    catch (Exception const& e)
    {
        return e.GetMessage().GetStdString() + " @" + std::to_string(e.GetLocation().GetLine());
    }
    return std::string();
}

class MappingFile : public qevtest::FolderTest
{
protected:
    MappingFile() : FolderTest("mapping") {}

    // Sets the table to exactly these rows (current values and repeated pairs included).
    void fill(MidiOscMap& map, Rows const& rows)
    {
        std::string xml = "<trov5.cclink>";
        for (Row const& r : rows)
        {
            MidiOscMap::Entry const e(std::get<0>(r), std::get<1>(r), OscAddress(std::get<2>(r).c_str()),
                                      std::get<3>(r), std::get<4>(r), std::get<5>(r), std::get<6>(r),
                                      std::get<7>(r));
            std::unique_ptr<XmlElement> const element(e.GetXmlRepresentation());
            xml += element->CreateDocument(String(), true, false, String("UTF-8"), 0).GetStdString();
        }
        put("fill.xml", xml + "</trov5.cclink>");
        map.LoadFromXml(fileOf("fill.xml"));
        fs::remove(pathOf("fill.xml"));
        ASSERT_EQ(rowsOf(map), rows);
    }
};

Rows const exampleRows = {
    {1, 0, "/foo", 0.0f, 1.0f, 1.0f, 0.0f, 0.0f},
    {1, 7, "/track/1/gain", -60.0f, 0.0f, 1.0f, 64.0f, -29.7638f},
};

class CountingListener : public MidiOscMap::Listener
{
public:
    void MessageProcessed(MidiMessage const&) override { ++calls; }
    void MessageProcessed(OscBundle const&) override { ++calls; }
    void MessageReceivedWhileMidiLearn(MidiMessage const&) override { ++calls; }
    int calls = 0;
};

} // namespace

TEST_F(MappingFile, WrittenFileMatchesTheExampleByteForByte)
{
    MidiOscMap map;
    fill(map, exampleRows);
    ASSERT_TRUE(map.SaveAsXml(fileOf("map.xml"), Overwrite::Refuse));
    std::regex const date("[0-9]{2}/[0-9]{2}/[0-9]{4} - [0-9]{2}h[0-9]{2}m[0-9]{2}s -->");
    EXPECT_EQ(
        std::regex_replace(get("map.xml"), date, "DATE -->"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "\r\n"
        "<!-- created by libqev v5.0.2 - DATE -->\r\n"
        "\r\n"
        "<trov5.cclink>\r\n"
        "  <mapping midichannel=\"1\" midicontroller=\"0\" pattern=\"/foo\" minrange=\"0\"\r\n"
        "           maxrange=\"1\" exponent=\"1\" currentmidi=\"0\" currentosc=\"0\"/>\r\n"
        "  <mapping midichannel=\"1\" midicontroller=\"7\" pattern=\"/track/1/gain\" minrange=\"-60\"\r\n"
        "           maxrange=\"0\" exponent=\"1\" currentmidi=\"64\" currentosc=\"-29.7638\"/>\r\n"
        "</trov5.cclink>\r\n");
    EXPECT_EQ(listing(), std::vector<std::string>{"map.xml"});
}

TEST_F(MappingFile, TablesSurviveASaveAndALoad)
{
    for (Rows const& rows : std::vector<Rows>{
             {},
             exampleRows,
             {{1, 0, "/a", 0.0f, 1.0f, 0.00001f, 0.0f, 0.0f}},
             {{16, 127, "/'\"&<>^`", -1.5f, 2.25f, 3.0f, 127.0f, 0.125f}},
             {{1, 5, "/x", 0, 1, 1, 0, 0}, {1, 5, "/y", 0, 1, 1, 0, 0}},
             {{-3, 999, "/", 1e-30f, 1e30f, 1.00001f, 0.0f, 0.0f}},
         })
    {
        MidiOscMap map;
        fill(map, rows);
        ASSERT_TRUE(map.SaveAsXml(fileOf("rt.xml"), Overwrite::Replace));
        MidiOscMap loaded;
        EXPECT_TRUE(loaded.LoadFromXml(fileOf("rt.xml")));
        EXPECT_EQ(rowsOf(loaded), rows);
    }

    put("in.xml", "<r><mapping pattern=\"/a\" exponent=\"0.00001\" currentosc=\"0.50393700599\"/></r>");
    MidiOscMap map;
    map.LoadFromXml(fileOf("in.xml"));
    ASSERT_TRUE(map.SaveAsXml(fileOf("out.xml"), Overwrite::Refuse));
    EXPECT_NE(get("out.xml").find("exponent=\"1e-05\" currentmidi=\"0\" currentosc=\"0.503937\""),
              std::string::npos);
}

TEST_F(MappingFile, LoadReadsEveryChildWithoutTheReplacementRule)
{
    Row const readerDefault{0, 1, "/foo", 0, 1, 1, 0, 0};
    std::vector<std::pair<std::string, Rows>> const cases = {
        {"<trov5.cclink><mapping midichannel=\"3\" pattern=\"/a\"/></trov5.cclink>",
         {{3, 0, "/a", 0, 0, 0, 0, 0}}},
        {"<trov5.cclink><mapping midichannel=\"2\" midicontroller=\"9\" pattern=\"/p\"/>"
         "<mapping midichannel=\"2\" midicontroller=\"9\" pattern=\"/q\"/></trov5.cclink>",
         {{2, 9, "/p", 0, 0, 0, 0, 0}, {2, 9, "/q", 0, 0, 0, 0, 0}}},
        {"<other-root><x midichannel=\"5\"/>stray text<mapping pattern=\"/b\" exponent=\"-2\" "
         "minrange=\"1e300\"/>"
         "</other-root>",
         {readerDefault, {0, 0, "/b", 0, 0, -2, 0, 0}}},
        {"<trov5.cclink/>", {}},
    };
    for (auto const& [content, rows] : cases)
    {
        put("in.xml", content);
        MidiOscMap map;
        CountingListener listener;
        map.AddListener(&listener);
        map.AddNewEntry();
        EXPECT_TRUE(map.LoadFromXml(fileOf("in.xml")));
        EXPECT_EQ(rowsOf(map), rows) << content;
        EXPECT_EQ(listener.calls, 0);
        map.RemoveListener(&listener);
    }
}

TEST_F(MappingFile, LoadAndSaveFailures)
{
    MidiOscMap map;
    fill(map, exampleRows);
    EXPECT_THROW(map.LoadFromXml(fileOf("missing.xml")), exceptions::NoSuchFile);
    EXPECT_EQ(rowsOf(map), exampleRows) << "a missing file changes nothing";

    put("bad.xml", "<trov5.cclink><mapping midichannel=\"1\"");
    EXPECT_EQ(failureOf([&] { map.LoadFromXml(fileOf("bad.xml")); }),
              "error parsing file \"" + pathOf("bad.xml") + "\" @664");
    EXPECT_EQ(map.GetNumEntries(), 0u) << "a parse error leaves the table empty";

    put("address.xml",
        "<r><mapping pattern=\"/ok\"/><mapping pattern=\"/not ok\"/><mapping pattern=\"/b\"/></r>");
    EXPECT_THROW(map.LoadFromXml(fileOf("address.xml")), Exception);
    EXPECT_EQ(rowsOf(map), (Rows{{0, 0, "/ok", 0, 0, 0, 0, 0}}));

    put("map.xml", "old file");
    EXPECT_EQ(failureOf([&] { map.SaveAsXml(fileOf("map.xml"), Overwrite::Refuse); }),
              "file \"" + pathOf("map.xml") + "\" already exists @695");
    EXPECT_EQ(get("map.xml"), "old file");
    EXPECT_TRUE(map.SaveAsXml(fileOf("map.xml"), Overwrite::Replace));
    EXPECT_NE(get("map.xml").find("pattern=\"/ok\""), std::string::npos);
}

TEST_F(MappingFile, SaveThatFailsMidwayKeepsTheOldFile)
{
    Rows many;
    for (int i = 0; i < 2000; ++i)
        many.emplace_back(1 + i % 16, i % 128, "/track/" + std::to_string(i), -60.0f, 6.0f, 2.5f, 3.0f, 1.5f);
    MidiOscMap map;
    fill(map, many);
    put("map.xml", "the user's only copy");

    EXPECT_TRUE(qevtest::saveFailsOnAFullDisk(
        8192, [&] { return map.SaveAsXml(fileOf("map.xml"), Overwrite::Replace); }))
        << "the save must report failure";
    EXPECT_EQ(get("map.xml"), "the user's only copy");
    EXPECT_EQ(listing(), std::vector<std::string>{"map.xml"}) << "no temporary file left";
}

TEST_F(MappingFile, EveryPrefixOfAFileFailsOrLoadsCompletely)
{
    MidiOscMap original;
    fill(original, {exampleRows[1], {3, 9, "/'\"&<>^`", 0.5f, 0.75f, 0.00001f, 1.0f, 0.625f}});
    ASSERT_TRUE(original.SaveAsXml(fileOf("full.xml"), Overwrite::Refuse));
    std::string const full = get("full.xml");
    std::size_t const end = full.rfind('>') + 1;
    for (std::size_t length = 0; length < full.size(); ++length)
    {
        put("cut.xml", full.substr(0, length));
        MidiOscMap map;
        bool const loaded = failureOf([&] { map.LoadFromXml(fileOf("cut.xml")); }).empty();
        EXPECT_EQ(loaded, length >= end) << length;
        EXPECT_EQ(rowsOf(map), loaded ? rowsOf(original) : Rows()) << "partial success at " << length;
    }
}

TEST_F(MappingFile, HostileFilesNeitherCrashNorHang)
{
    using namespace std::string_literals;
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    for (std::string const& content : std::vector<std::string>{
             "<r><mapping pattern=\"/a\"/>x<?p?>y</r>",
             "<r><mapping pattern=\"/&#99999999999;&#xD800;\"/></r>",
             "<r><mapping pattern=\"/a&#12",
             "<r><mapping pattern=\"/a\" midichannel=\"99999999999999999999\" minrange=\"nan\"/></r>",
             "<r><mapping pattern=\"/a\0b\"/></r>"s,
             "\xFF\xFE<\0r\0/\0>\0"s,
             deep,
             deep + "x<?p?>y",
         })
    {
        put("hostile.xml", content);
        MidiOscMap map;
        failureOf([&] { map.LoadFromXml(fileOf("hostile.xml")); });
    }
}
