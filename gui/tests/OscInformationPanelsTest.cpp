#include "GuiTestHelpers.h"
#include "common/QguiComponent.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsOscDocumentationComponent.h"
#include "common/WidgetsOscStatusComponent.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscDocumentation.h"
#include "utils/QevSystemClipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using guitest::pumpUntil;

namespace
{

// An OSC-controlled object whose documentation and state the test sets.
class FakeObject : public qev::OscInterface
{
public:
    qev::OscBundle GetCurrentStateAsOscBundle() const override
    {
        ++stateReads;
        return state;
    }
    qev::OscDocumentation GetOscDocumentation(bool withCommonCommands) const override
    {
        lastWithCommon = withCommonCommands;
        return documentation;
    }

    qev::OscBundle state;
    qev::OscDocumentation documentation;
    mutable int stateReads = 0;
    mutable bool lastWithCommon = false;
};

std::vector<std::string> texts(qev::StringArray const& array)
{
    std::vector<std::string> result;
    for (unsigned long i = 0; i < array.GetSize(); ++i)
        result.push_back(array[i].GetStdString());
    return result;
}

std::string labelText(widgets::OscInformationComponent& panel)
{
    return panel.GetCountLabel().getText().toStdString();
}

// Types into the search field without the posted change message, then rebuilds as that message would.
void search(widgets::OscInformationComponent& panel, char const* text)
{
    panel.GetSearchField().GetEditor().setText(text, false);
    panel.textEditorTextChanged(panel.GetSearchField().GetEditor());
}

void addEntry(qev::OscDocumentation& documentation, char const* pattern, char type, char const* description)
{
    documentation.Add(qev::OscAddressPattern(pattern), type, qev::String(description), qev::String("label"));
}

// Restores the framework's modifier state that a test sets.
struct ModifiersGuard
{
    explicit ModifiersGuard(juce::ModifierKeys modifiers)
    {
        juce::ModifierKeys::currentModifiers = modifiers;
    }
    ~ModifiersGuard() { juce::ModifierKeys::currentModifiers = saved; }
    juce::ModifierKeys saved = juce::ModifierKeys::currentModifiers;
};

struct OscInformationPanels : ::testing::Test
{
    OscInformationPanels()
    {
        addEntry(object.documentation, "/window/size", 'i', "Sets the Size");
        addEntry(object.documentation, "/Alpha", 'f', "sets the alpha");
        addEntry(object.documentation, "/beta", 's', "names the beta");
        object.state.AddNewMessage("/one", 1.0f);
        object.state.AddNewMessage("/two", qev::String("text"));
    }
    FakeObject object;
};

} // namespace

TEST_F(OscInformationPanels, BuildTheirControlsAndFillTheListAtOnce)
{
    widgets::OscDocumentationComponent help(object);
    widgets::OscStatusComponent status(object);

    EXPECT_TRUE(object.lastWithCommon);
    EXPECT_EQ(
        std::vector<std::string>({"/window/size [int] : Sets the Size", "/Alpha [number] : sets the alpha",
                                  "/beta [string] : names the beta"}),
        texts(help.GetList().GetItems()));
    EXPECT_EQ("3 elements", labelText(help));
    EXPECT_EQ(texts(object.state.ToStringArray()), texts(status.GetList().GetItems()));
    EXPECT_EQ(2, status.GetList().GetNumRows());
    EXPECT_EQ("2 elements", labelText(status));

    for (widgets::OscInformationComponent* panel : {static_cast<widgets::OscInformationComponent*>(&help),
                                                    static_cast<widgets::OscInformationComponent*>(&status)})
    {
        EXPECT_EQ(nullptr, panel->GetRefreshThread());
        EXPECT_FALSE(panel->GetResetButton().isEnabled());
        EXPECT_FALSE(panel->GetSortToggle().getToggleState());
        EXPECT_EQ(0, panel->GetList().GetInnerList().getHeaderHeight());
        // The list keeps its own font until asked.
        EXPECT_FLOAT_EQ(13.0f, panel->GetList().GetFont().getHeight());
        panel->SetFontSize(300.0f);
        EXPECT_FLOAT_EQ(120.0f, panel->GetList().GetFont().getHeight());
    }
    EXPECT_TRUE(help.GetSortToggle().isVisible());
    EXPECT_FALSE(status.GetSortToggle().isVisible());
}

TEST_F(OscInformationPanels, LayOutAroundHalfTheWidthUpTo300)
{
    widgets::OscDocumentationComponent help(object);
    widgets::OscStatusComponent status(object);

    EXPECT_EQ(juce::Rectangle<int>(8, 4, 300, 22), help.GetSearchField().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(320, 6, 50, 18), help.GetSortToggle().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(382, 6, 18, 18), help.GetResetButton().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(400, 6, 200, 18), help.GetCountLabel().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(0, 28, 600, 572), help.GetList().getBounds());

    EXPECT_EQ(juce::Rectangle<int>(332, 6, 18, 18), status.GetResetButton().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(350, 6, 250, 18), status.GetCountLabel().getBounds());
    EXPECT_EQ(0, status.GetSortToggle().getWidth());

    help.setSize(401, 300);
    EXPECT_EQ(juce::Rectangle<int>(8, 4, 200, 22), help.GetSearchField().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(220, 6, 50, 18), help.GetSortToggle().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(300, 6, 101, 18), help.GetCountLabel().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(0, 28, 401, 272), help.GetList().getBounds());

    status.setSize(1000, 400);
    EXPECT_EQ(juce::Rectangle<int>(8, 4, 300, 22), status.GetSearchField().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(350, 6, 650, 18), status.GetCountLabel().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(0, 28, 1000, 372), status.GetList().getBounds());
}

TEST_F(OscInformationPanels, SearchKeepsLinesHoldingEveryWordInTheirOrder)
{
    widgets::OscDocumentationComponent help(object);

    search(help, "   ");
    EXPECT_EQ(3, help.GetList().GetNumRows());
    EXPECT_EQ("3 elements", labelText(help));

    // Anywhere in the line, any order, any case; a repeated word filters as one.
    search(help, "SETS the  the");
    EXPECT_EQ(
        std::vector<std::string>({"/window/size [int] : Sets the Size", "/Alpha [number] : sets the alpha"}),
        texts(help.GetList().GetItems()));
    EXPECT_EQ("2 / 3 elements", labelText(help));
    EXPECT_FALSE(help.GetResetButton().isEnabled()); // only the next tick enables it

    search(help, "alpha sets");
    EXPECT_EQ(std::vector<std::string>({"/Alpha [number] : sets the alpha"}),
              texts(help.GetList().GetItems()));
    EXPECT_EQ("1 / 3 elements", labelText(help));

    search(help, "nowhere");
    EXPECT_EQ(0, help.GetList().GetNumRows());
    EXPECT_EQ("0 / 3 elements", labelText(help));

    // The noun follows the total.
    FakeObject single;
    addEntry(single.documentation, "/only", 'b', "one entry");
    widgets::OscDocumentationComponent one(single);
    EXPECT_EQ("1 element", labelText(one));
    EXPECT_EQ(std::vector<std::string>({"/only [boolean] : one entry"}), texts(one.GetList().GetItems()));
    search(one, "zzz");
    EXPECT_EQ("0 / 1 element", labelText(one));

    FakeObject nothing;
    widgets::OscDocumentationComponent noDocumentation(nothing);
    widgets::OscStatusComponent noState(nothing);
    EXPECT_EQ("0 element", labelText(noDocumentation));
    EXPECT_EQ("0 element", labelText(noState));
    EXPECT_EQ(0, noState.GetList().GetNumRows());
}

TEST_F(OscInformationPanels, SortToggleRelistsAtOnceKeepingTheSearch)
{
    widgets::OscDocumentationComponent help(object);
    help.GetSortToggle().SetToggleState(true, true);
    EXPECT_EQ(std::vector<std::string>({"/Alpha [number] : sets the alpha", "/beta [string] : names the beta",
                                        "/window/size [int] : Sets the Size"}),
              texts(help.GetList().GetItems()));

    search(help, "the");
    help.GetSortToggle().SetToggleState(false, true);
    EXPECT_EQ(
        std::vector<std::string>({"/window/size [int] : Sets the Size", "/Alpha [number] : sets the alpha",
                                  "/beta [string] : names the beta"}),
        texts(help.GetList().GetItems()));
    search(help, "s the");
    help.GetSortToggle().SetToggleState(true, true);
    EXPECT_EQ("3 / 3 elements", labelText(help));
    EXPECT_EQ("/Alpha [number] : sets the alpha", help.GetList().GetItems()[0].GetStdString());
}

TEST_F(OscInformationPanels, CopyJoinsTheSelectedLinesAndFontKeysStepTheSize)
{
    widgets::OscDocumentationComponent help(object);
    juce::KeyPress const copyKey('c', juce::ModifierKeys::commandModifier, 0);

    qev::SystemClipboard::CopyTextToClipboard("before");
    EXPECT_FALSE(help.keyPressed(copyKey));
    EXPECT_EQ("before", qev::SystemClipboard::GetTextFromClipboard().GetStdString());

    help.GetList().GetInnerList().selectRow(2);
    help.GetList().GetInnerList().selectRow(0, false, false);
    {
        ModifiersGuard guard{juce::ModifierKeys()};
        EXPECT_TRUE(help.keyPressed(copyKey));
        EXPECT_EQ("/window/size [int] : Sets the Size, /beta [string] : names the beta",
                  qev::SystemClipboard::GetTextFromClipboard().GetStdString());
    }
    for (int held : {juce::ModifierKeys::shiftModifier, juce::ModifierKeys::ctrlModifier})
    {
        ModifiersGuard guard{juce::ModifierKeys(held)};
        EXPECT_TRUE(help.keyPressed(copyKey));
        EXPECT_EQ("/window/size [int] : Sets the Size\n/beta [string] : names the beta",
                  qev::SystemClipboard::GetTextFromClipboard().GetStdString());
    }

    EXPECT_TRUE(help.keyPressed(juce::KeyPress('+')));
    EXPECT_FLOAT_EQ(14.0f, help.GetList().GetFont().getHeight());
    EXPECT_TRUE(help.keyPressed(juce::KeyPress(juce::KeyPress::numberPadAdd)));
    EXPECT_FLOAT_EQ(15.0f, help.GetList().GetFont().getHeight());
    EXPECT_TRUE(help.keyPressed(juce::KeyPress('-')));
    EXPECT_EQ(19, help.GetList().GetInnerList().getRowHeight());
    EXPECT_FALSE(help.keyPressed(juce::KeyPress('q')));
    EXPECT_FALSE(help.keyPressed(juce::KeyPress('c')));
}

TEST_F(OscInformationPanels, TimerLivesWhileVisibleAndWorksOnlyOnScreen)
{
    widgets::OscStatusComponent status(object);
    status.SetPeerMode(qgui::Component::windowlessPeerMode); // on the desktop even without a display

    status.setVisible(true);
    auto* timer = status.GetRefreshThread();
    ASSERT_NE(nullptr, timer);
    EXPECT_TRUE(timer->IsRunning());
    EXPECT_EQ(300, timer->GetPeriod());
    status.setVisible(true);
    EXPECT_EQ(timer, status.GetRefreshThread());

    // Visible but not on screen: the tick neither reads the object nor touches the controls.
    object.state.AddNewMessage("/three", true);
    status.GetSearchField().GetEditor().setText("one", false);
    int const reads = object.stateReads;
    timer->timerCallback();
    EXPECT_EQ(reads, object.stateReads);
    EXPECT_FALSE(status.GetResetButton().isEnabled());
    EXPECT_EQ("2 elements", labelText(status));

    status.addToDesktop(0);
    ASSERT_TRUE(status.isShowing());
    timer->timerCallback();
    EXPECT_EQ(reads + 1, object.stateReads);
    EXPECT_TRUE(status.GetResetButton().isEnabled());
    EXPECT_EQ("1 / 3 elements", labelText(status));

    // "x" clears the field through the posted change message; the button follows at the next tick.
    status.buttonClicked(&status.GetResetButton());
    ASSERT_TRUE(pumpUntil([&] { return labelText(status) == "3 elements"; }));
    EXPECT_TRUE(status.GetSearchField().IsEmpty());
    timer->timerCallback();
    EXPECT_FALSE(status.GetResetButton().isEnabled());

    // The running timer follows the state on its own.
    object.state.AddNewMessage("/four", 4.0f);
    EXPECT_TRUE(pumpUntil([&] { return labelText(status) == "4 elements"; }));

    status.setVisible(false);
    EXPECT_EQ(nullptr, status.GetRefreshThread());
    status.setVisible(true);
    ASSERT_NE(nullptr, status.GetRefreshThread());
    EXPECT_TRUE(status.GetRefreshThread()->IsRunning());
    status.removeFromDesktop();
}

TEST_F(OscInformationPanels, RefreshKeepsTheSelectionWhileTheLinesStay)
{
    widgets::OscDocumentationComponent help(object);
    help.SetPeerMode(qgui::Component::windowlessPeerMode);
    help.setVisible(true);
    help.addToDesktop(0);
    help.GetList().GetInnerList().selectRow(1);
    help.GetRefreshThread()->timerCallback();
    EXPECT_TRUE(help.GetList().GetInnerList().isRowSelected(1));

    addEntry(object.documentation, "/gamma", 'i', "new");
    help.GetRefreshThread()->timerCallback();
    EXPECT_EQ("4 elements", labelText(help));
    help.removeFromDesktop();
}
