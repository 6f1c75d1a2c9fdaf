// The object end to end: the real bundle, loaded by the stand-in host's library, driven by host
// messages and judged by what leaves its outlets and reaches the console.

#include "CclinkTestSupport.h"

using namespace cclinktest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace
{

class Cclink : public CclinkFixture
{
protected:
    void loadExample(char const* name)
    {
        Lines const lines = load(examplePath(name));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_THAT(lines[0], HasSubstr("properly loaded"));
    }
};

TEST_F(Cclink, RegistersOneClassWithThreeOutletsAndItsAssistTexts)
{
    EXPECT_EQ(maxhost::GetRegisteredClasses().size(), 1u);
    EXPECT_THAT(Session::Get().startUpLines, IsEmpty()) << "main posts nothing when all goes well";
    ASSERT_EQ(maxhost::GetOutletCount(x), 3);
    object* const dumpout = maxhost::GetObexValue(x, gensym("dumpout"));
    EXPECT_EQ(maxhost::GetOutletIndex(x, dumpout), 2);

    struct Case
    {
        long io, index;
        char const* text;
    } const cases[] = {{1, 0, "inlet"},   {1, 3, "inlet"},   {2, 0, "osc"}, {2, 1, "midi"},
                       {2, 2, "dumpout"}, {2, 5, "dumpout"}, {3, 0, ""}};
    for (Case const& c : cases)
    {
        std::string text;
        ASSERT_TRUE(maxhost::Assist(x, c.io, c.index, text));
        EXPECT_EQ(text, c.text) << "io " << c.io << " index " << c.index;
    }
}

TEST_F(Cclink, ANewObjectHoldsTheDefaultMapping)
{
    EXPECT_THAT(send("127 0 1"), ElementsAre("outlet 0: /foo 1.0"));
    EXPECT_THAT(send("/foo 0.5"), ElementsAre("outlet 1: list 63 0 1"));
}

TEST_F(Cclink, ListsOfThreeLeadingIntegersAreControllerEvents)
{
    loadExample("two-mappings.xml");
    EXPECT_THAT(send("64 7 1"), ElementsAre("outlet 0: /track/1/gain -29.763779"));
    EXPECT_THAT(send("127 7 1 99 foo"), ElementsAre("outlet 0: /track/1/gain 0.0")) << "extra atoms ignored";
    for (char const* ignored : {"64 7", "64.0 7 1", "64 7.0 1", "64 7 1.0", "64 foo 1", "list"})
        EXPECT_THAT(send(ignored), IsEmpty()) << ignored;
    EXPECT_THAT(send("64 7 2"), IsEmpty()) << "no mapping on channel 2";
    // Wide integers keep their low seven bits; channels beyond any range clamp to 16, not wrap.
    EXPECT_THAT(send("192 135 1"), ElementsAre("outlet 0: /track/1/gain -29.763779"));
    EXPECT_THAT(send("64 7 4294967297"), IsEmpty());
}

TEST_F(Cclink, OscInputLeavesTheMiddleOutletAsValueControllerChannel)
{
    loadExample("two-mappings.xml");
    EXPECT_THAT(send("/track/1/gain -30.0"), ElementsAre("outlet 1: list 63 7 1"));
    EXPECT_THAT(send("/track/1/gain 0"), ElementsAre("outlet 1: list 127 7 1")) << "an integer argument";
    EXPECT_THAT(send("/track/1/gain"), IsEmpty()) << "one number needed";
    EXPECT_THAT(send("/track/1/gain 1 2"), IsEmpty());
    EXPECT_THAT(send("/track/*/gain 0.5"), IsEmpty()) << "patterns never match";
    EXPECT_THAT(send("/track/2/gain 0.5"), IsEmpty());
}

TEST_F(Cclink, SeveralResultsLeaveAsOneFullPacketOfRealOsc)
{
    loadExample("shared-controller.xml");
    // A bundle header (16 bytes), then per message its size (4) and 28 bytes: a 16-byte address,
    // ",f" padded to 4 and the float.
    EXPECT_THAT(send("127 8 1"),
                ElementsAre("outlet 0: FullPacket 72", "  /track/2/gain f 0.0", "  /track/2/send f 1.0"));
    EXPECT_THAT(send("127 7 1"), ElementsAre("outlet 0: /track/1/gain 0.0"));
    EXPECT_THAT(send("/track/2/send 0.25"), ElementsAre("outlet 1: list 63 8 1"));
}

TEST_F(Cclink, BangSendsEveryMappingAgainAndClearEmptiesTheTable)
{
    loadExample("two-mappings.xml");
    EXPECT_THAT(send("bang"), ElementsAre("outlet 1: list 0 0 1", "outlet 0: /foo 0.0",
                                          "outlet 1: list 64 7 1", "outlet 0: /track/1/gain -29.7638"));
    EXPECT_THAT(send("clear"), IsEmpty());
    EXPECT_THAT(send("64 7 1"), IsEmpty());
    EXPECT_THAT(send("bang"), IsEmpty());
    EXPECT_THAT(send("/track/1/gain 0.5"), IsEmpty());
}

TEST_F(Cclink, ExportAndLoadRoundTripThroughArgumentsAndDialogs)
{
    TemporaryFolder folder;
    loadExample("two-mappings.xml");
    send("100 7 1");
    std::string const saved = folder / "saved.xml";
    EXPECT_THAT(send("export " + saved), ElementsAre("post: file \"" + saved + "\" properly written"));
    EXPECT_THAT(readFile(saved), HasSubstr("<trov5.cclink>"));

    send("clear");
    EXPECT_THAT(load(saved), ElementsAre("post: file \"" + saved + "\" properly loaded"));
    EXPECT_THAT(send("bang"), ElementsAre("outlet 1: list 0 0 1", "outlet 0: /foo 0.0",
                                          "outlet 1: list 100 7 1", "outlet 0: /track/1/gain -12.7559"));

    std::string const chosen = folder / "chosen.xml";
    maxhost::QueueDialogAnswer(chosen);
    EXPECT_THAT(send("export"), ElementsAre("post: file \"" + chosen + "\" properly written"));
    maxhost::QueueDialogAnswer(examplePath("shared-controller.xml"));
    EXPECT_THAT(send("load"),
                ElementsAre("post: file \"" + examplePath("shared-controller.xml") + "\" properly loaded"));

    // A cancelled dialog, "none" and no dialog answer at all do nothing.
    maxhost::QueueDialogCancel();
    EXPECT_THAT(send("export"), IsEmpty());
    EXPECT_THAT(send("load"), IsEmpty());
    EXPECT_THAT(send("export none"), IsEmpty());
    EXPECT_THAT(send("load none"), IsEmpty());
    EXPECT_THAT(send("127 8 1"),
                ElementsAre("outlet 0: FullPacket 72", "  /track/2/gain f 0.0", "  /track/2/send f 1.0"))
        << "the table is still the one loaded last";
}

TEST_F(Cclink, NoNumberThatIsNotFiniteReachesAnOutletTheTableOrAFile)
{
    // Each file holds one mapping of channel 1, controller 7 to /a. Files that read "nan" or "inf"
    // must load (a NaN used to hang the host in the editor's number boxes), and no step may
    // produce either, on an outlet or in the exported table.
    struct Step
    {
        char const* input;
        Lines output;
    };
    struct Case
    {
        char const* minimum;
        char const* maximum;
        char const* exponent;
        char const* current;
        std::vector<Step> steps;
    };
    Case const cases[] = {
        {"nan", "1", "1", "0", {{"127 7 1", {"outlet 0: /a 1.0"}}}},
        {"0", "nan", "1", "0", {{"127 7 1", {"outlet 0: /a 0.0"}}}},
        {"0", "1", "nan", "0", {{"64 7 1", {"outlet 0: /a 1.0"}}}},
        {"0", "1", "1", "nan", {{"bang", {"outlet 1: list 0 7 1", "outlet 0: /a 0.0"}}}},
        {"inf", "-inf", "1", "0", {{"127 7 1", {"outlet 0: /a 0.0"}}}},
        {"-inf", "inf", "1", "0", {{"127 7 1", {"outlet 0: /a 0.0"}}}},
        {"0", "1", "inf", "0", {{"64 7 1", {"outlet 0: /a 1.0"}}}},
        {"0", "1", "-inf", "0", {{"0 7 1", {"outlet 0: /a 1.0"}}}},
        // Wider than the float range: the true values.
        {"-3e38",
         "3e38",
         "1",
         "0",
         {{"0 7 1", {"outlet 0: /a -3e+38"}},
          {"127 7 1", {"outlet 0: /a 3e+38"}},
          {"64 7 1", {"outlet 0: /a 2.3622048e+36"}},
          {"/a 1.0", {"outlet 1: list 0 7 1"}}}},
        {"5", "5", "-1", "0", {{"0 7 1", {"outlet 0: /a 5.0"}}}},
        // An infinite curve is capped at the largest float.
        {"0",
         "1",
         "-1",
         "0",
         {{"0 7 1", {"outlet 0: /a 3.4028235e+38"}},
          {"1 7 1", {"outlet 0: /a 127.0"}},
          {"/a 0.0", {"outlet 1: list 127 7 1"}}}},
        {"0",
         "1",
         "1",
         "0",
         {{"/a 1e39", {"outlet 1: list 127 7 1"}},
          {"/a -1e39", {"outlet 1: list 0 7 1"}},
          {"bang", {"outlet 1: list 0 7 1", "outlet 0: /a -3.4028235e+38"}}}},
    };
    TemporaryFolder folder;
    std::string const file = folder / "mapping.xml";
    std::string const exported = folder / "exported.xml";
    for (Case const& c : cases)
    {
        std::string const row = std::string(c.minimum) + " " + c.maximum + " " + c.exponent + " " + c.current;
        writeFile(file, std::string(R"(<trov5.cclink><mapping midichannel="1" midicontroller="7" )") +
                            R"(pattern="/a" minrange=")" + c.minimum + R"(" maxrange=")" + c.maximum +
                            R"(" exponent=")" + c.exponent + R"(" currentmidi=")" + c.current +
                            R"(" currentosc=")" + c.current + R"("/></trov5.cclink>)");
        ASSERT_THAT(load(file), ElementsAre(HasSubstr("properly loaded"))) << row;
        for (Step const& step : c.steps)
            EXPECT_EQ(send(step.input), step.output) << row << " / " << step.input;
        ASSERT_THAT(send("export " + exported), ElementsAre(HasSubstr("properly written")));
        std::string const saved = readFile(exported);
        EXPECT_EQ(saved.find("nan"), std::string::npos) << row << "\n" << saved;
        EXPECT_EQ(saved.find("inf"), std::string::npos) << row << "\n" << saved;
    }
}

TEST_F(Cclink, ExportAndLoadRunOnTheMainThreadOnly)
{
    TemporaryFolder folder;
    std::string const saved = folder / "from-scheduler.xml";
    deliverOnScheduler("export " + saved);
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(saved));
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 1);
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_THAT(capture().Take(), ElementsAre("post: file \"" + saved + "\" properly written"));
}

TEST_F(Cclink, RelativeFileNamesGoToTheHomeFolder)
{
    TemporaryFolder folder;
    char const* const oldHome = std::getenv("HOME");
    std::string const keptHome = oldHome != nullptr ? oldHome : "";
    setenv("HOME", folder.path.c_str(), 1);
    Lines const lines = send("export relative.xml");
    std::string const whereExpected = folder / "relative.xml";
    if (oldHome != nullptr)
        setenv("HOME", keptHome.c_str(), 1);
    else
        unsetenv("HOME");
    EXPECT_THAT(lines, ElementsAre("post: file \"" + whereExpected + "\" properly written"));
    EXPECT_TRUE(std::filesystem::exists(whereExpected));
}

TEST_F(Cclink, MessagesOfTheWrongShapeNameThemselves)
{
    EXPECT_THAT(send("export a b"), ElementsAre("error: invalid message: export a b"));
    EXPECT_THAT(send("load a b"), ElementsAre("error: invalid message: load a b"));
    EXPECT_THAT(send("export 5"), ElementsAre("error: invalid message: export 5"));
    EXPECT_THAT(send("load 0.5"), ElementsAre("error: invalid message: load 0.5"));
    // Errors belong to the object that posts them.
    deliver("export a b");
    settle();
    EXPECT_THAT(capture().TakeOwners(), ElementsAre(x));
}

TEST_F(Cclink, FailedLoadsAndSavesSayWhy)
{
    TemporaryFolder folder;
    std::string const missing = folder / "missing.xml";
    Lines lines = load(missing);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("error: "));
    EXPECT_THAT(lines[0], HasSubstr(missing));
    EXPECT_THAT(send("127 0 1"), ElementsAre("outlet 0: /foo 1.0"))
        << "a missing file leaves the table alone";

    std::string const broken = folder / "broken.xml";
    writeFile(broken, "<trov5.cclink><mapping");
    EXPECT_THAT(load(broken), ElementsAre("error: error parsing file \"" + broken + "\" "));
    EXPECT_THAT(send("127 0 1"), IsEmpty()) << "a parse error leaves the table empty";

    std::string const badPattern = folder / "bad-pattern.xml";
    writeFile(badPattern, "<trov5.cclink><mapping midichannel=\"1\" pattern=\"/a b\"/></trov5.cclink>");
    lines = load(badPattern);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("error: OSC format error: "));

    // A save onto a folder: the final move fails.
    EXPECT_THAT(send("export " + folder.path.string()),
                ElementsAre("error: error writing file \"" + folder.path.string() + "\" "));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path));
}

TEST_F(Cclink, OverwriteZeroRefusesToReplaceAndTheAttributeIsClipped)
{
    TemporaryFolder folder;
    atom_long value = -1;
    ASSERT_TRUE(maxhost::GetAttribute(x, gensym("overwrite"), value));
    EXPECT_EQ(value, 1);

    std::string const saved = folder / "kept.xml";
    writeFile(saved, "not to be replaced");
    EXPECT_THAT(send("overwrite 0"), IsEmpty());
    EXPECT_THAT(send("export " + saved), ElementsAre("error: file \"" + saved + "\" already exists "));
    EXPECT_EQ(readFile(saved), "not to be replaced");

    for (auto const& [text, expected] : {std::pair<char const*, atom_long>{"overwrite 5", 1},
                                         {"overwrite -3", 0},
                                         {"overwrite 0.7", 0},
                                         {"overwrite 1", 1}})
    {
        send(text);
        ASSERT_TRUE(maxhost::GetAttribute(x, gensym("overwrite"), value));
        EXPECT_EQ(value, expected) << text;
    }
    Lines const lines = send("export " + saved);
    EXPECT_THAT(lines, ElementsAre("post: file \"" + saved + "\" properly written"));
    EXPECT_THAT(readFile(saved), HasSubstr("<trov5.cclink>"));
}

TEST_F(Cclink, BadOscInputIsPostedAndProducesNothing)
{
    EXPECT_THAT(send("track/1/gain 0.5"),
                ElementsAre("error: malformed OSC address (missing initial '/') : track/1/gain 0.5 "));
    EXPECT_THAT(send("foo"), ElementsAre("error: malformed OSC address (missing initial '/') : foo  "));
    EXPECT_THAT(send("/foo 1 ;"), ElementsAre("error: unexpected atom type (A_SEMI) in \"/foo 1\" "));
    EXPECT_THAT(send("/foo ,"), ElementsAre("error: unexpected atom type (A_COMMA) in \"/foo \" "));
    EXPECT_THAT(send("/foo $1"), ElementsAre("error: unexpected atom type (A_DOLLAR) in \"/foo \" "));
    EXPECT_THAT(send("/foo $1x"), ElementsAre("error: unexpected atom type (A_DOLLSYM) in \"/foo \" "));
    Lines const lines = send("/a[b 1");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr("error: OSC format error: "));
}

TEST_F(Cclink, LongErrorsAreSplitIntoConsoleSizedPieces)
{
    std::string const name(3000, 'a');
    Lines const lines = send("x " + name);
    ASSERT_EQ(lines.size(), 2u);
    std::string const whole = "malformed OSC address (missing initial '/') : x " + name;
    EXPECT_EQ(lines[0], "error: " + whole.substr(0, 2000) + " ... ");
    EXPECT_EQ(lines[1], "error:  ... " + whole.substr(2000) + " ");
}

TEST_F(Cclink, ObjectsKeepTablesOfTheirOwn)
{
    object* const other = maxhost::NewObject(Session::Get().cclass);
    ASSERT_NE(other, nullptr);
    loadExample("two-mappings.xml");
    deliver("64 7 1", other);
    deliver("64 7 1");
    EXPECT_THAT(capture().Take(), ElementsAre("outlet 0: /track/1/gain -29.763779"));
    maxhost::FreeObject(other);
}

TEST_F(Cclink, WithoutADisplayTheEditorCannotOpenButMappingGoesOn)
{
    if (Session::Get().HasDisplay())
        GTEST_SKIP() << "a display is present";
    deliver("open");
    EXPECT_THAT(capture().TakeOwners(), ElementsAre(x));
    EXPECT_THAT(capture().Take(), ElementsAre("error: cannot open the editor window: no display"));
    ASSERT_TRUE(maxhost::DoubleClick(x));
    EXPECT_THAT(capture().Take(), ElementsAre("error: cannot open the editor window: no display"));
    EXPECT_THAT(send("wclose"), IsEmpty());
    // The editor stays hidden, so a list from the scheduler thread refreshes at once.
    deliverOnScheduler("127 0 1");
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 0);
    EXPECT_THAT(capture().Take(), ElementsAre("outlet 0: /foo 1.0"));
}

} // namespace
