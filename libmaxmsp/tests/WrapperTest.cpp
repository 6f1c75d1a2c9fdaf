// The host wrapper: console texts, atom views, guards, registration lines, dialogs, start-up.

#include "MaxWrapper.h"
#include "WrapperTestSupport.h"
#include "common/QevException.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

using namespace wrappertest;

namespace
{

std::string repeated(char c, std::size_t n)
{
    return std::string(n, c);
}

} // namespace

TEST(MaxConsole, LongErrorsAreSplitIntoPieces)
{
    std::string const a2000 = repeated('a', 2000);
    struct Case
    {
        std::string text;
        std::vector<std::string> lines;
    };
    Case const cases[] = {
        {"short", {"error: short "}},
        {repeated('a', 2047), {"error: " + repeated('a', 2047) + " "}},
        {a2000 + repeated('b', 48), {"error: " + a2000 + " ... ", "error:  ... " + repeated('b', 48) + " "}},
        {a2000 + repeated('b', 2000),
         {"error: " + a2000 + " ... ", "error:  ... " + repeated('b', 2000) + " "}},
        {a2000 + repeated('b', 2000) + repeated('c', 500),
         {"error: " + a2000 + " ... ", "error:  ... " + repeated('b', 2000) + " ... ",
          "error:  ... " + repeated('c', 500) + " "}},
    };
    for (Case const& c : cases)
    {
        Capture capture;
        maxmsp::Console::postError(nullptr, c.text);
        EXPECT_EQ(capture.Take(), c.lines) << c.text.size();
    }
}

TEST(MaxConsole, PiecesNeverSplitACharacter)
{
    EXPECT_EQ(maxmsp::Console::splitInChunks(repeated('a', 1999)).GetSize(), 0u);
    qev::StringArray const exact = maxmsp::Console::splitInChunks(repeated('a', 2000));
    ASSERT_EQ(exact.GetSize(), 1u);
    EXPECT_EQ(exact[0], repeated('a', 2000));

    // A two-byte character across the 2000-byte mark moves the cut before it.
    std::string const text = repeated('a', 1999) + "\xC3\xA9" + repeated('b', 100);
    qev::StringArray const pieces = maxmsp::Console::splitInChunks(text);
    ASSERT_EQ(pieces.GetSize(), 2u);
    EXPECT_EQ(pieces[0], repeated('a', 1999) + " ...");
    EXPECT_EQ(pieces[1], " ... \xC3\xA9" + repeated('b', 100));

    // Bytes that are not UTF-8 move it no further than a character could.
    std::string const junk = repeated('\x80', 2100);
    qev::StringArray const junkPieces = maxmsp::Console::splitInChunks(junk);
    ASSERT_EQ(junkPieces.GetSize(), 2u);
    EXPECT_EQ(junkPieces[0].GetLength(), 1997u + 4u);
}

TEST(MaxConsole, InvalidMessageTextsCarryTheAtoms)
{
    Capture capture;
    atom atoms[] = {symbolAtom("a"), symbolAtom("b")};
    maxmsp::post_error_message(nullptr, maxmsp::AtomArrayRef(), "invalid message: export");
    maxmsp::post_error_message(nullptr, 2, atoms, "invalid message: export");
    maxmsp::post_error_message(nullptr, 0, nullptr, "invalid message: load");
    EXPECT_EQ(capture.Take(), (std::vector<std::string>{"error: invalid message: export ",
                                                        "error: invalid message: export a b",
                                                        "error: invalid message: load "}));
}

TEST(MaxAtoms, AtomsPrintAndPassFormats)
{
    atom atoms[] = {longAtom(64), floatAtom(2.5), symbolAtom("x y"), typedAtom(A_OBJ), symbolAtom("end")};
    maxmsp::AtomArrayRef const view(5, atoms);
    EXPECT_EQ(view.ToString(), "64 2.5 x y  end");
    EXPECT_EQ(maxmsp::AtomArrayRef(2, atoms).ToString(), "64 2.5");
    EXPECT_EQ(maxmsp::AtomArrayRef(-1, atoms).GetSize(), 0u);
    EXPECT_EQ(maxmsp::AtomArrayRef(3, nullptr).GetSize(), 0u);

    atom lll[] = {longAtom(64), longAtom(7), longAtom(1), floatAtom(0.5)};
    atom flt[] = {floatAtom(64.0), longAtom(7), longAtom(1)};
    atom bits[] = {longAtom(1), floatAtom(0.0), symbolAtom("x"), longAtom(2)};
    struct Case
    {
        atom* atoms;
        long count;
        char const* format;
        bool exact;
        bool accepted;
    };
    Case const cases[] = {
        {lll, 3, "lll", false, true},  {lll, 4, "lll", false, true},   {lll, 4, "lll", true, false},
        {lll, 2, "lll", false, false}, {flt, 3, "lll", false, false},  {lll, 3, "iii", true, true},
        {flt, 3, "nnn", true, true},   {flt, 3, "fll", true, true},    {lll, 4, "lllf", true, true},
        {bits, 3, "bbb", true, true},  {bits, 4, "bbbb", true, false}, {bits, 3, "bbs", true, true},
        {lll, 0, "", true, true},      {lll, 3, "", false, true},      {lll, 3, "llx", false, false},
        {bits, 3, "s", false, false},
    };
    for (Case const& c : cases)
        EXPECT_EQ(maxmsp::AtomArrayRef(c.count, c.atoms).CheckAtomsFormat(c.format, c.exact), c.accepted)
            << c.format << " over " << maxmsp::AtomArrayRef(c.count, c.atoms).ToString() << " exact "
            << c.exact;
}

TEST(MaxGuards, ExceptionsBecomeErrorsOfTheObject)
{
    TestObject object;
    Capture capture;
    auto postFrom = [&](auto thrower)
    {
        try
        {
            thrower();
        }
        catch (...)
        {
            maxmsp::PostThrownException(object.x);
        }
    };
    postFrom([] { throw qev::Exception("disk full", qev::SourceLineInfo("Test", 1), false, false); });
    postFrom([] { throw std::bad_alloc(); });
    postFrom([] { throw std::runtime_error("not ours"); });
    postFrom([] { throw 42; });
    Record* result = object.x;
    try
    {
        throw std::bad_alloc();
    }
    catch (...)
    {
        result = maxmsp::return_nullptr_if_exception(object.x);
    }
    EXPECT_EQ(result, nullptr);
    maxmsp::PostThrownException(object.x); // outside a handler: nothing to rethrow
    EXPECT_EQ(capture.Take(),
              (std::vector<std::string>{
                  "error (owned): disk full ", "error (owned): out of memory : std::bad_alloc ",
                  "error (owned): unknown exception ", "error (owned): unknown exception ",
                  "error (owned): out of memory : std::bad_alloc ", "error (owned): unknown exception "}));
}

TEST(MaxRegistration, EveryRefusalPostsItsLine)
{
    struct Shape
    {
        object header;
        void* pointer;
        atom_long flag;
        atom_long locked;
    };
    Capture capture;
    auto const creator = +[](symbol*, short, atom*) -> void* { return nullptr; };
    maxclass* const c = class_new("registration", reinterpret_cast<method>(creator), nullptr, sizeof(Shape),
                                  nullptr, A_GIMME, 0);
    auto const noop = reinterpret_cast<method>(+[](object*) {});
    maxmsp::AddMethodGimme(c, noop, "ok");
    maxmsp::AddMethodGimme(c, nullptr, "broken");
    maxmsp::AddMethodNoArgument(c, nullptr, "none");
    maxmsp::AddMethodAnything(c, noop);
    maxmsp::AddMethodBang(c, noop);
    maxmsp::AddAssistMethod(c, noop);
    maxmsp::AddDblClickMethod(c, noop);
    EXPECT_EQ(maxmsp::offset_of(&Shape::flag), static_cast<long long>(offsetof(Shape, flag)));
    maxmsp::ClassAttrLongOffset(c, "flag", maxmsp::offset_of(&Shape::flag), false);
    maxmsp::ClassAttrLongOffset(c, "locked", maxmsp::offset_of(&Shape::locked), true);
    maxmsp::ClassAttrLongOffset(c, "outside", sizeof(Shape), false);
    maxmsp::ClassAttrAccessors(c, "flag", nullptr, nullptr);
    maxmsp::ClassAttrAccessors(c, "missing", nullptr, nullptr);
    maxmsp::ClassRegister(c);
    maxmsp::ClassRegister(c);
    EXPECT_EQ(maxmsp::ObjectAlloc(nullptr), nullptr);
    std::vector<std::string> lines;
    for (std::string const& line : capture.Take())
        if (line.rfind("host: ", 0) != 0)
            lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "post: error when adding method broken", "post: error when adding method none",
                         "post: error when adding attribute outside", "post: error in when registering class",
                         "error: couldnt allocate memory "}));
    EXPECT_EQ(maxhost::FindClass("registration"), c);

    // The read-only attribute refuses a user's set; the other takes it.
    auto* const shape = static_cast<Shape*>(maxmsp::ObjectAlloc(c));
    ASSERT_NE(shape, nullptr);
    atom one = longAtom(1);
    EXPECT_TRUE(maxhost::SendMessage(&shape->header, gensym("flag"), 1, &one));
    EXPECT_FALSE(maxhost::SendMessage(&shape->header, gensym("locked"), 1, &one));
    EXPECT_EQ(shape->flag, 1);
    EXPECT_EQ(shape->locked, 0);
    maxhost::FreeObject(&shape->header);
}

TEST(MaxDialogs, ChosenFilesAndCancels)
{
    maxhost::ClearDialogAnswers();
    EXPECT_TRUE(maxmsp::OpenDialogForFile().IsEmpty());
    maxhost::QueueDialogAnswer("/tmp/maps/in.xml");
    maxhost::QueueDialogAnswer("/tmp/maps/out.xml");
    maxhost::QueueDialogCancel();
    maxhost::QueueDialogAnswer("/tmp/maps/long.xml");
    EXPECT_EQ(maxmsp::OpenDialogForFile().GetFullPathName(), "/tmp/maps/in.xml");
    EXPECT_EQ(maxmsp::OpenSaveAsDialogForXMLFile().GetFullPathName(), "/tmp/maps/out.xml");
    EXPECT_TRUE(maxmsp::OpenSaveAsDialogForXMLFile().IsEmpty());
    // A default name longer than the host's buffer is cut, not overrun.
    EXPECT_EQ(maxmsp::openSaveAsDialogForTEXTFile(qev::String(repeated('n', 600) + "\xC3\xA9.xml"))
                  .GetFullPathName(),
              "/tmp/maps/long.xml");
}

namespace
{

int guiStarts = 0;
bool symbolsReadyForGui = false;

} // namespace

TEST(MaxStartUp, RunsEveryStepAndPostsAFailure)
{
    Capture capture;
    maxmsp::SetGuiStartUp(
        []
        {
            ++guiStarts;
            symbolsReadyForGui = maxmsp::CommonSymbols::sym_FullPacket != nullptr;
        });
    maxmsp::InitializeEverything();
    EXPECT_EQ(guiStarts, 1);
    EXPECT_TRUE(symbolsReadyForGui);
    EXPECT_TRUE(capture.Take().empty());

    maxmsp::SetGuiStartUp(
        [] { throw qev::Exception("no display", qev::SourceLineInfo("Test", 2), false, false); });
    maxmsp::InitializeEverything();
    EXPECT_EQ(capture.Take(), std::vector<std::string>{"error: start-up failed: no display "});
    maxmsp::SetGuiStartUp(nullptr);
}
