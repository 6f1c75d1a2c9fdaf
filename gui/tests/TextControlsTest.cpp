#include "GuiTestHelpers.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsLabel.h"
#include "common/WidgetsMagnifyingGlass.h"
#include "common/WidgetsSearchField.h"
#include "common/WidgetsTextEditor.h"
#include "common/WidgetsTooltipWindow.h"
#include "common/WidgetsViewport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using guitest::pumpFor;
using guitest::pumpUntil;

namespace
{

struct EditorRecorder : juce::TextEditor::Listener
{
    void textEditorTextChanged(juce::TextEditor& e) override { changes.push_back(e.getText().toStdString()); }
    void textEditorReturnKeyPressed(juce::TextEditor&) override { ++returns; }
    void textEditorEscapeKeyPressed(juce::TextEditor&) override { ++escapes; }
    std::vector<std::string> changes;
    int returns = 0;
    int escapes = 0;
};

struct LabelRecorder : juce::Label::Listener
{
    void labelTextChanged(juce::Label* label) override { texts.push_back(label->getText().toStdString()); }
    std::vector<std::string> texts;
};

// Text-change messages of an editor are posted: pump long enough for them to arrive.
void settle()
{
    pumpFor(std::chrono::milliseconds(30));
}

std::vector<std::string> words(qev::StringArray const& array)
{
    std::vector<std::string> result;
    for (unsigned long i = 0; i < array.GetSize(); ++i)
        result.push_back(array[i].GetStdString());
    return result;
}

// A window of its own, on screen, so that an editor in it can take the keyboard focus.
class FocusWindow : public juce::Component
{
public:
    FocusWindow()
    {
        setBounds(50, 50, 200, 60);
        addToDesktop(juce::ComponentPeer::windowHasTitleBar);
        setVisible(true);
    }
    ~FocusWindow() override { removeFromDesktop(); }
};

bool hasCaret(juce::Component const& component)
{
    for (auto* child : component.getChildren())
        if (dynamic_cast<juce::CaretComponent*>(child) != nullptr || hasCaret(*child))
            return true;
    return false;
}

} // namespace

TEST(TextEditor, StartsEmptyWithTheHintAndItsOwnLook)
{
    widgets::TextEditor editor("type here");
    EXPECT_TRUE(editor.GetText().IsEmpty());
    EXPECT_TRUE(editor.isEmpty());
    EXPECT_EQ("type here", editor.getTextToShowWhenEmpty().toStdString());
    EXPECT_TRUE(editor.isMultiLine());
    EXPECT_FALSE(editor.getReturnKeyStartsNewLine());
    EXPECT_FALSE(editor.areScrollbarsShown());
    EXPECT_FALSE(editor.isPopupMenuEnabled());
    EXPECT_FLOAT_EQ(12.0f, editor.getFont().getHeight());
    EXPECT_FALSE(editor.getFont().isBold());
    EXPECT_EQ(&editor.GetLookAndFeel(), &editor.getLookAndFeel());
    EXPECT_FLOAT_EQ(0.0f, editor.GetLookAndFeel().GetCornerSize());

    struct Case
    {
        int id;
        juce::uint32 argb;
    };
    for (auto const& c : {Case{juce::TextEditor::backgroundColourId, 0x00FFFFFFu},
                          Case{juce::TextEditor::outlineColourId, 0xFF000000u},
                          Case{juce::TextEditor::focusedOutlineColourId, 0xFF808080u},
                          Case{juce::TextEditor::highlightColourId, 0x3F0000FFu},
                          Case{juce::TextEditor::highlightedTextColourId, 0xFF000000u},
                          Case{juce::TextEditor::shadowColourId, 0x00FFFFFFu}})
        EXPECT_EQ(c.argb, editor.findColour(c.id).getARGB()) << c.id;
}

TEST(TextEditor, TextCrossesAsUtf8AndNotifiesOnlyWhenAsked)
{
    widgets::TextEditor editor("");
    EditorRecorder recorder;
    editor.addListener(&recorder);

    qev::String const text("/caf\xC3\xA9/\xE2\x82\xAC 1");
    editor.SetText(text, false);
    settle();
    EXPECT_EQ(text.GetStdString(), editor.GetText().GetStdString());
    EXPECT_EQ(4, editor.getText().indexOfChar(0x00E9));
    EXPECT_TRUE(recorder.changes.empty());

    editor.SetText("/other", true);
    ASSERT_TRUE(pumpUntil([&] { return !recorder.changes.empty(); }));
    settle();
    EXPECT_EQ(std::vector<std::string>{"/other"}, recorder.changes);
    editor.removeListener(&recorder);
}

TEST(TextEditor, ReturnGoesToTheListenersInsteadOfANewLine)
{
    widgets::TextEditor editor("");
    EditorRecorder recorder;
    editor.addListener(&recorder);
    editor.SetText("/abc", false);
    editor.moveCaretToEnd();

    EXPECT_TRUE(editor.keyPressed(juce::KeyPress(juce::KeyPress::returnKey)));
    EXPECT_TRUE(editor.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey)));
    ASSERT_TRUE(pumpUntil([&] { return recorder.returns == 1 && recorder.escapes == 1; }));
    EXPECT_EQ("/abc", editor.GetText().GetStdString());
    editor.removeListener(&recorder);
}

TEST(TextEditor, OutlineAreaFollowsTheCornerSize)
{
    widgets::TextEditor editor("");
    auto& look = editor.GetLookAndFeel();
    struct Case
    {
        float corner;
        int width, height;
        juce::Rectangle<float> expected;
    };
    for (auto const& c :
         {Case{0.0f, 100, 20, {0.0f, 0.0f, 100.0f, 20.0f}}, Case{8.0f, 100, 20, {2.0f, 2.0f, 96.0f, 16.0f}},
          Case{8.0f, 3, 20, {2.0f, 2.0f, 0.0f, 16.0f}}, Case{8.0f, 3, 2, {2.0f, 2.0f, 0.0f, 0.0f}},
          Case{-1.0f, 10, 10, {0.0f, 0.0f, 10.0f, 10.0f}}})
    {
        editor.SetCornerSize(c.corner);
        EXPECT_FLOAT_EQ(c.corner, look.GetCornerSize());
        EXPECT_EQ(c.expected, look.getOutlineArea(c.width, c.height)) << c.corner << " " << c.width;
    }
}

TEST(TextEditor, OutlineColourAndThicknessWithoutFocus)
{
    widgets::TextEditor editor("");
    auto& look = editor.GetLookAndFeel();
    EXPECT_EQ(juce::Colours::black, look.getOutlineColour(editor));
    EXPECT_FLOAT_EQ(1.0f, look.getOutlineThickness(editor));

    // A colour set on the editor wins over the look-and-feel's.
    editor.setColour(juce::TextEditor::outlineColourId, juce::Colours::red);
    EXPECT_EQ(juce::Colours::red, look.getOutlineColour(editor));

    editor.setColour(juce::TextEditor::outlineColourId, juce::Colours::black);
    auto const outline = [&](bool enabled, float corner)
    {
        juce::Image image(juce::Image::ARGB, 40, 20, true);
        juce::Graphics g(image);
        editor.setEnabled(enabled);
        editor.SetCornerSize(corner);
        look.drawTextEditorOutline(g, 40, 20, editor);
        return image;
    };
    EXPECT_EQ(0, guitest::countDrawn(outline(false, 0.0f)));
    // A one-pixel black line along the edge, half of it outside; square corners.
    auto const square = outline(true, 0.0f);
    EXPECT_TRUE(guitest::colourNear(juce::Colour(0x80000000u), square.getPixelAt(20, 0), 8));
    EXPECT_TRUE(guitest::colourNear(juce::Colour(0xC0000000u), square.getPixelAt(0, 0), 8));
    // Rounded and inset: nothing in the corner.
    auto const rounded = outline(true, 8.0f);
    EXPECT_TRUE(guitest::colourNear(juce::Colour(0x80000000u), rounded.getPixelAt(20, 2), 8));
    EXPECT_EQ(0, rounded.getPixelAt(2, 2).getAlpha());
    EXPECT_EQ(0, rounded.getPixelAt(20, 0).getAlpha());
}

TEST(TextEditor, FocusedOutlineOnlyWhenEditableAndACaretOnlyWhileFocused)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display";
    FocusWindow window;
    widgets::TextEditor editor("");
    editor.setBounds(10, 10, 150, 20);
    window.addAndMakeVisible(editor);
    EXPECT_FALSE(hasCaret(editor));
    editor.grabKeyboardFocus();
    if (!pumpUntil([&] { return editor.hasKeyboardFocus(true); }))
        GTEST_SKIP() << "the window did not get the keyboard focus";
    EXPECT_TRUE(hasCaret(editor));

    auto& look = editor.GetLookAndFeel();
    editor.setColour(juce::TextEditor::outlineColourId, juce::Colours::red);
    EXPECT_EQ(juce::Colours::grey, look.getOutlineColour(editor));
    EXPECT_FLOAT_EQ(2.0f, look.getOutlineThickness(editor));

    editor.setReadOnly(true);
    EXPECT_EQ(juce::Colours::red, look.getOutlineColour(editor));
    EXPECT_FLOAT_EQ(1.0f, look.getOutlineThickness(editor));
    editor.setReadOnly(false);
    editor.giveAwayKeyboardFocus();
    EXPECT_FALSE(hasCaret(editor));
    window.removeChildComponent(&editor);
}

TEST(Label, ShowsItsTextInBlackArial)
{
    widgets::Label label("count: 3");
    EXPECT_EQ("count: 3", label.getText().toStdString());
    EXPECT_EQ(juce::Colours::black, label.findColour(juce::Label::textColourId));
    EXPECT_EQ("Arial", label.getFont().getTypefaceName().toStdString());
    EXPECT_FLOAT_EQ(10.0f, label.getFont().getHeight());
    EXPECT_EQ(juce::Justification::centredLeft, label.getJustificationType().getFlags());
    label.setSize(60, 14);
    EXPECT_GT(guitest::countInk(guitest::render(label), label.getLocalBounds()), 10);
}

TEST(Label, SetTextNotifiesOnlyRealChangesWhenAsked)
{
    widgets::Label label("a");
    LabelRecorder recorder;
    label.addListener(&recorder);

    label.SetText("a", true); // unchanged: nobody hears of it
    EXPECT_TRUE(recorder.texts.empty());
    label.SetText("b", false);
    EXPECT_EQ("b", label.getText().toStdString());
    EXPECT_TRUE(recorder.texts.empty());
    label.SetText("c", true); // heard before SetText returns
    EXPECT_EQ(std::vector<std::string>{"c"}, recorder.texts);
    label.SetText("\xC3\xA9t\xC3\xA9", true);
    label.SetText("\xC3\xA9t\xC3\xA9", true);
    EXPECT_EQ((std::vector<std::string>{"c", "\xC3\xA9t\xC3\xA9"}), recorder.texts);
    label.SetText("", true);
    EXPECT_TRUE(label.getText().isEmpty());
    EXPECT_EQ(3u, recorder.texts.size());
    label.removeListener(&recorder);
}

TEST(SearchField, IsARoundedEditorAboveTheGlass)
{
    widgets::SearchField field;
    EXPECT_EQ("search", field.GetEditor().getTextToShowWhenEmpty().toStdString());
    EXPECT_FLOAT_EQ(8.0f, field.GetEditor().GetLookAndFeel().GetCornerSize());
    EXPECT_FLOAT_EQ(13.0f, field.GetEditor().getFont().getHeight());
    ASSERT_EQ(2, field.getNumChildComponents());
    EXPECT_EQ(&field.GetGlass(), field.getChildComponent(0));
    EXPECT_EQ(&field.GetEditor(), field.getChildComponent(1));
    EXPECT_TRUE(field.GetEditor().isVisible());
    EXPECT_TRUE(field.GetGlass().isVisible());
    EXPECT_TRUE(field.GetGlass().HasIcon());
    EXPECT_TRUE(field.IsEmpty());
}

TEST(SearchField, LaysOutTheEditorAndASquareIcon)
{
    struct Case
    {
        int width, height;
        juce::Rectangle<int> editor, glass;
    };
    for (auto const& c :
         {Case{200, 20, {0, 0, 185, 20}, {185, 4, 12, 12}}, Case{20, 200, {0, 0, 5, 200}, {5, 4, 12, 12}},
          Case{30, 30, {0, 0, 5, 30}, {5, 4, 22, 22}}, Case{100, 8, {0, 0, 97, 8}, {97, 4, 0, 0}},
          Case{100, 3, {0, 0, 102, 3}, {102, 4, 0, 0}}, Case{4, 4, {0, 0, 5, 4}, {5, 4, 0, 0}}})
    {
        widgets::SearchField field;
        field.setSize(c.width, c.height);
        EXPECT_EQ(c.editor, field.GetEditor().getBounds()) << c.width << "x" << c.height;
        EXPECT_EQ(c.glass, field.GetGlass().getBounds()) << c.width << "x" << c.height;
    }
}

TEST(SearchField, HandsOutItsTextAsWords)
{
    struct Case
    {
        char const* text;
        std::vector<std::string> expected;
    };
    for (auto const& c :
         {Case{"", {}}, Case{"one", {"one"}}, Case{"one two", {"one", "two"}},
          Case{"one  two", {"one", "", "two"}}, Case{" one", {"", "one"}}, Case{"one ", {"one", ""}},
          Case{"\xC3\xA9t\xC3\xA9 /x", {"\xC3\xA9t\xC3\xA9", "/x"}}})
    {
        widgets::SearchField field;
        field.GetEditor().SetText(c.text, false);
        EXPECT_EQ(c.expected, words(field.GetAllText(" "))) << '"' << c.text << '"';
        EXPECT_EQ(c.text[0] == '\0', field.IsEmpty());
    }
}

TEST(SearchField, ResetAndListeners)
{
    widgets::SearchField field;
    EditorRecorder recorder;
    field.AddListener(&recorder);

    field.GetEditor().SetText("midi", true);
    ASSERT_TRUE(pumpUntil([&] { return recorder.changes.size() == 1; }));
    EXPECT_FALSE(field.IsEmpty());

    field.Reset(false);
    settle();
    EXPECT_TRUE(field.IsEmpty());
    EXPECT_EQ(1u, recorder.changes.size());

    field.GetEditor().SetText("osc", false);
    field.Reset(true);
    ASSERT_TRUE(pumpUntil([&] { return recorder.changes.size() == 2; }));
    EXPECT_EQ("", recorder.changes.back());
    EXPECT_TRUE(field.IsEmpty());

    EXPECT_TRUE(field.GetEditor().keyPressed(juce::KeyPress(juce::KeyPress::returnKey)));
    ASSERT_TRUE(pumpUntil([&] { return recorder.returns == 1; }));
    field.GetEditor().removeListener(&recorder);
}

TEST(MagnifyingGlass, DrawsTheIconOrNothing)
{
    widgets::MagnifyingGlass glass;
    ASSERT_TRUE(glass.HasIcon());
    glass.setSize(24, 12);
    juce::Image drawn(juce::Image::ARGB, 24, 12, true);
    {
        juce::Graphics g(drawn);
        glass.paint(g);
    }
    EXPECT_GT(guitest::countDrawn(drawn), 0);
    // Centred and kept square: the wide component's left and right margins stay clear.
    for (int y = 0; y < 12; ++y)
    {
        EXPECT_EQ(0, drawn.getPixelAt(0, y).getAlpha());
        EXPECT_EQ(0, drawn.getPixelAt(23, y).getAlpha());
    }

    for (char const* bad : {"", "not svg at all", "<html><body/></html>"})
    {
        widgets::MagnifyingGlass broken{qev::String(bad)};
        EXPECT_FALSE(broken.HasIcon()) << bad;
        broken.setSize(16, 16);
        juce::Image image(juce::Image::ARGB, 16, 16, true);
        juce::Graphics g(image);
        broken.paint(g);
        EXPECT_EQ(0, guitest::countDrawn(image)) << bad;
    }
}

TEST(Viewport, HasThinScrollBarsShownOnDemand)
{
    widgets::Viewport viewport;
    EXPECT_EQ(8, viewport.getScrollBarThickness());
    EXPECT_TRUE(viewport.isVerticalScrollBarShown());
    EXPECT_TRUE(viewport.isHorizontalScrollBarShown());
}

TEST(TooltipWindow, OneGreyWindowSharedByEveryHolder)
{
    {
        juce::SharedResourcePointer<widgets::TooltipWindow> first;
        juce::SharedResourcePointer<widgets::TooltipWindow> second;
        EXPECT_EQ(&first.getObject(), &second.getObject());
        EXPECT_EQ(2, first.getReferenceCount());
        EXPECT_EQ(0xFF808080u, first->findColour(juce::TooltipWindow::backgroundColourId).getARGB());
        // Painted grey too: the framework draws with the colours of the window's look-and-feel.
        first->setSize(60, 20);
        EXPECT_EQ(0xFF808080u, guitest::render(*first).getPixelAt(30, 10).getARGB());
        EXPECT_EQ(nullptr, first->getParentComponent());
        EXPECT_FALSE(first->isOnDesktop());
    }
    juce::SharedResourcePointer<widgets::TooltipWindow> again;
    EXPECT_EQ(1, again.getReferenceCount());
}
