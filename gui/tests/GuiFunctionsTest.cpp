#include "GuiTestHelpers.h"
#include "common/QguiFunctions.h"
#include "common/QguiStrings.h"
#include "common/QguiSvgIcons.h"
#include "utils/QevSystemClipboard.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace
{

using qgui::ShortCuts;

constexpr int ctrl = juce::ModifierKeys::ctrlModifier;
constexpr int cmd = juce::ModifierKeys::commandModifier;
constexpr int shift = juce::ModifierKeys::shiftModifier;
constexpr int alt = juce::ModifierKeys::altModifier;

juce::KeyPress press(int keyCode, int modifiers = 0)
{
    return juce::KeyPress(keyCode, juce::ModifierKeys(modifiers), 0);
}

std::set<unsigned> matchingTypes(juce::KeyPress const& keyPress)
{
    std::set<unsigned> types;
    for (unsigned t = 0; t < ShortCuts::numTypes; ++t)
        if (ShortCuts::CorrespondsTo(keyPress, static_cast<ShortCuts::Type>(t)))
            types.insert(t);
    return types;
}

TEST(GuiFunctionsShortCuts, EachPressBelongsToExactlyTheExpectedTypes)
{
    struct Case
    {
        juce::KeyPress keyPress;
        std::set<unsigned> types;
    };
    std::vector<Case> const cases = {
        {press('w', ctrl), {0}},
        {press('W', cmd), {0}},
        {press('f', ctrl), {1}},
        {press(juce::KeyPress::numberPadAdd, ctrl), {2}},
        {press('+', ctrl), {2}},
        {press(',', ctrl), {2}},
        {press(juce::KeyPress::numberPadSubtract, ctrl), {3}},
        {press('-', ctrl), {3}},
        {press(juce::KeyPress::numberPadAdd), {4}},
        {press('+'), {4}},
        {press('+', shift), {4}},
        {press(juce::KeyPress::numberPadSubtract), {5}},
        {press('-'), {5}},
        {press('-', shift), {}},
        {press(juce::KeyPress::numberPadEquals), {6}},
        {press('='), {6}},
        {press('a'), {7}},
        {press('s'), {8}},
        {press('l'), {9}},
        {press('v'), {10}},
        {press('a', ctrl), {11}},
        {press('A', cmd), {11}},
        {press('c'), {12}},
        {press('m'), {13}},
        {press('g'), {14}},
        {press('c', ctrl), {15}},
        {press('C', cmd), {15}},
        {press('c', shift | cmd), {}},
        {press('v', ctrl), {16}},
        {press('x', ctrl), {}},
        {press('q'), {}},
    };
    for (auto const& c : cases)
        EXPECT_EQ(matchingTypes(c.keyPress), c.types) << c.keyPress.getTextDescription();
}

TEST(GuiFunctionsShortCuts, NamedTypesHaveTheirNumbers)
{
    EXPECT_EQ(ShortCuts::Increment, 4u);
    EXPECT_EQ(ShortCuts::Decrement, 5u);
    EXPECT_EQ(ShortCuts::SelectAll, 11u);
    EXPECT_EQ(ShortCuts::Copy, 15u);
    EXPECT_TRUE(ShortCuts::CorrespondsTo(press('c', cmd), ShortCuts::Copy));
}

TEST(GuiFunctionsShortCuts, PlainLettersRefuseEveryModifier)
{
    std::vector<std::pair<int, unsigned>> const letters = {{'a', 7},  {'s', 8},  {'l', 9}, {'v', 10},
                                                           {'c', 12}, {'m', 13}, {'g', 14}};
    for (auto const& [key, type] : letters)
    {
        auto const t = static_cast<ShortCuts::Type>(type);
        EXPECT_TRUE(ShortCuts::CorrespondsTo(press(key), t));
        EXPECT_TRUE(ShortCuts::CorrespondsTo(press(juce::CharacterFunctions::toUpperCase(key)), t));
        for (int modifier : {shift, ctrl, alt, cmd})
            EXPECT_FALSE(ShortCuts::CorrespondsTo(press(key, modifier), t)) << key << " " << modifier;
    }
}

TEST(GuiFunctionsShortCuts, PadKeysMatchByCodeWhateverTheMouseButtons)
{
    auto const mouse = juce::ModifierKeys::leftButtonModifier;
    EXPECT_TRUE(ShortCuts::CorrespondsTo(press(juce::KeyPress::numberPadAdd, mouse), ShortCuts::Increment));
    EXPECT_TRUE(ShortCuts::CorrespondsTo(press(juce::KeyPress::numberPadEquals, mouse),
                                         static_cast<ShortCuts::Type>(6)));
    EXPECT_FALSE(ShortCuts::CorrespondsTo(press(juce::KeyPress::numberPadAdd, ctrl), ShortCuts::Increment));
    EXPECT_FALSE(
        ShortCuts::CorrespondsTo(press(juce::KeyPress::numberPadSubtract, alt), ShortCuts::Decrement));
    // An exact press takes every flag into account.
    EXPECT_FALSE(ShortCuts::CorrespondsTo(press('-', mouse), ShortCuts::Decrement));
}

TEST(GuiFunctionsShortCuts, TypesPastTheTableMatchNothing)
{
    std::vector<juce::KeyPress> const presses = {press('w', ctrl), press('a'), press('c', cmd),
                                                 press(juce::KeyPress::numberPadAdd), press('+')};
    for (std::uint32_t const t : {17u, 18u, 100u, 0xFFFFFFFFu})
        for (auto const& keyPress : presses)
            EXPECT_FALSE(ShortCuts::CorrespondsTo(keyPress, static_cast<ShortCuts::Type>(t))) << t;
}

TEST(GuiFunctions, GetFontTakesOneStyleFlag)
{
    juce::Font const bold = qgui::GetFont("Arial", "Bold", 12.0f);
    EXPECT_TRUE(bold.isBold());
    EXPECT_FALSE(bold.isItalic());
    EXPECT_EQ(bold.getTypefaceName(), "Arial");
    EXPECT_FLOAT_EQ(bold.getHeight(), 12.0f);

    juce::Font const boldItalic = qgui::GetFont("Arial", "bold italic", 11.0f);
    EXPECT_TRUE(boldItalic.isBold());
    EXPECT_FALSE(boldItalic.isItalic());

    juce::Font const italic = qgui::GetFont("Arial", "italic underlined", 11.0f);
    EXPECT_TRUE(italic.isItalic());
    EXPECT_FALSE(italic.isUnderlined());
    EXPECT_FALSE(italic.isBold());

    EXPECT_TRUE(qgui::GetFont("Arial", "UNDERLINED", 10.0f).isUnderlined());

    for (char const* style : {"", "plain", "regular"})
    {
        juce::Font const plain = qgui::GetFont("Arial", style, 13.0f);
        EXPECT_EQ(plain.getStyleFlags(), juce::Font::plain) << style;
        EXPECT_FLOAT_EQ(plain.getHeight(), 13.0f);
    }
}

TEST(GuiFunctions, CreateDrawableFromSVG)
{
    EXPECT_EQ(qgui::CreateDrawableFromSVG(""), nullptr);
    EXPECT_EQ(qgui::CreateDrawableFromSVG("not xml at all"), nullptr);
    EXPECT_EQ(qgui::CreateDrawableFromSVG("<svg><path d='M0,0L10,10z'/>"), nullptr); // not well-formed
    EXPECT_EQ(qgui::CreateDrawableFromSVG("<notsvg/>"), nullptr);

    std::unique_ptr<juce::Drawable> const drawable(
        qgui::CreateDrawableFromSVG("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" "
                                    "height=\"10\"><path d=\"M1,1H9V9H1z\"/></svg>"));
    ASSERT_NE(drawable, nullptr);
    EXPECT_EQ(drawable->getDrawableBounds(), juce::Rectangle<float>(1.0f, 1.0f, 8.0f, 8.0f));

    std::unique_ptr<juce::Drawable> const glass(
        qgui::CreateDrawableFromSVG(qev::SvgResources::GetSvgFor(qev::SvgResources::MagnifyingGlass)));
    ASSERT_NE(glass, nullptr);
    EXPECT_FALSE(glass->getDrawableBounds().isEmpty());
}

TEST(GuiFunctions, OneCommandManagerForTheProcess)
{
    juce::ApplicationCommandManager* const first = qgui::GetApplicationCommandManager();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(qgui::GetApplicationCommandManager(), first);
    juce::SharedResourcePointer<juce::ApplicationCommandManager> const shared;
    EXPECT_EQ(&shared.get(), first);
}

TEST(GuiFunctions, StringArrayConversionKeepsEveryString)
{
    EXPECT_TRUE(qgui::JuceStringArray2OmvarStringArray(juce::StringArray()).IsEmpty());

    juce::StringArray in;
    in.add("");
    in.add(juce::String::fromUTF8("d\xc3\xa9j\xc3\xa0 \xe2\x82\xac"));
    in.add("plain");
    in.add("");
    qev::StringArray const out = qgui::JuceStringArray2OmvarStringArray(in);
    ASSERT_EQ(out.GetSize(), 4u);
    EXPECT_EQ(out[0], "");
    EXPECT_EQ(out[1], "d\xc3\xa9j\xc3\xa0 \xe2\x82\xac");
    EXPECT_EQ(out[2], "plain");
    EXPECT_EQ(out[3], "");
}

TEST(GuiFunctionsClipboard, CopiedTextCanBeReadBack)
{
    qev::String const text("caf\xc3\xa9, /a 1\n/b 2");
    qgui::CopyTextToClipboard(text);
    EXPECT_EQ(qev::SystemClipboard::GetTextFromClipboard(), text);
    if (qgui::Runtime::HasDisplay())
    {
        EXPECT_EQ(qgui::FromJuceString(juce::SystemClipboard::getTextFromClipboard()), text);
    }
}

TEST(GuiFunctionsClipboard, CopiesFromOtherThreadsReachTheClipboardInOrder)
{
    guitest::onAnotherThread([] { qev::SystemClipboard::CopyTextToClipboard("from a worker"); });
    qev::String readOffThread;
    guitest::onAnotherThread([&] { readOffThread = qev::SystemClipboard::GetTextFromClipboard(); });
    EXPECT_EQ(readOffThread, "from a worker");
    EXPECT_TRUE(
        guitest::pumpUntil([] { return qev::SystemClipboard::GetTextFromClipboard() == "from a worker"; }));

    // A copy made on the message thread after a posted one is not overwritten by it.
    guitest::onAnotherThread([] { qev::SystemClipboard::CopyTextToClipboard("older"); });
    qgui::CopyTextToClipboard("newer");
    guitest::pumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(qev::SystemClipboard::GetTextFromClipboard(), "newer");
}

} // namespace
