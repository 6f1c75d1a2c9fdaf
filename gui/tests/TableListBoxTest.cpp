#include "GuiTestHelpers.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsTableListBox.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace
{

qev::StringArray makeItems(std::vector<std::string> const& texts)
{
    qev::StringArray items;
    for (auto const& text : texts)
        items.PushBack(qev::String(text));
    return items;
}

std::vector<std::string> texts(qev::StringArray const& array)
{
    std::vector<std::string> result;
    for (unsigned long i = 0; i < array.GetSize(); ++i)
        result.push_back(array[i].GetStdString());
    return result;
}

struct Recorder : widgets::TableListBox::Listener
{
    void SelectionChanged(widgets::TableListBox& list) override
    {
        ++selections;
        lastList = &list;
    }
    void ItemsChanged(widgets::TableListBox& list) override
    {
        ++itemChanges;
        lastList = &list;
    }
    void RowDoubleClicked(widgets::TableListBox& list, int row) override
    {
        doubleClickedRows.push_back(row);
        lastList = &list;
    }
    int selections = 0;
    int itemChanges = 0;
    std::vector<int> doubleClickedRows;
    widgets::TableListBox* lastList = nullptr;
};

juce::MouseEvent clickOn(juce::Component& component, juce::Point<float> position, int clicks)
{
    auto const now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), position, juce::ModifierKeys(),
                            0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &component, &component, now, position, now, clicks,
                            false);
}

juce::KeyPress const selectAllKey('a', juce::ModifierKeys::commandModifier, 0);
juce::KeyPress const escapeKey(juce::KeyPress::escapeKey);

// A list of five items, 200 x 300, so that all rows have a place on it.
struct TableListBoxWithItems : ::testing::Test
{
    TableListBoxWithItems()
    {
        list.setSize(200, 300);
        list.SetItems(makeItems({"zero", "one", "two", "three", "four"}));
    }
    widgets::TableListBox list;
    juce::TableListBox& inner = list.GetInnerList();
};

} // namespace

TEST(TableListBox, StartsEmptyWithOneUntitledColumnThatAHeaderCanShow)
{
    widgets::TableListBox list;
    juce::TableListBox& inner = list.GetInnerList();
    EXPECT_EQ(0, inner.getNumRows());
    EXPECT_EQ(18, inner.getRowHeight());
    EXPECT_FLOAT_EQ(13.0f, list.GetFont().getHeight());
    EXPECT_EQ(0, inner.getHeaderHeight());
    EXPECT_EQ(0x7FFFFFFFu, inner.findColour(juce::ListBox::backgroundColourId).getARGB());
    // One look for the list and its scroll bars.
    EXPECT_EQ(&inner.getLookAndFeel(), &inner.getVerticalScrollBar().getLookAndFeel());
    EXPECT_EQ(&inner.getLookAndFeel(), &inner.getHorizontalScrollBar().getLookAndFeel());

    // Row backgrounds alternate; a selected row has one colour whatever its number.
    EXPECT_EQ(0xBFFFFFFFu, list.GetRowColour(0, false).getARGB());
    EXPECT_EQ(0xBFEDF3FEu, list.GetRowColour(1, false).getARGB());
    EXPECT_EQ(0xBFFFFFFFu, list.GetRowColour(4, false).getARGB());
    EXPECT_EQ(0xBF3875D7u, list.GetRowColour(0, true).getARGB());
    EXPECT_EQ(0xBF3875D7u, list.GetRowColour(7, true).getARGB());

    list.setSize(240, 100);
    list.SetHeaderVisible(true);
    EXPECT_EQ(22, inner.getHeaderHeight());
    ASSERT_EQ(1, inner.getHeader().getNumColumns(true));
    EXPECT_TRUE(inner.getHeader().getColumnName(1).isEmpty());
    EXPECT_EQ(inner.getVisibleRowWidth(), inner.getHeader().getColumnWidth(1));
    list.SetHeaderVisible(false);
    EXPECT_EQ(0, inner.getHeaderHeight());
}

TEST(TableListBox, SetItemsReplacesOnlyWhenTheItemsDiffer)
{
    widgets::TableListBox list;
    Recorder first;
    Recorder second;
    list.AddListener(&first);
    list.AddListener(&second);
    list.AddListener(&first); // a duplicate is ignored
    list.AddListener(nullptr);
    list.setSize(100, 200);

    list.SetItems(makeItems({"a", "b", "c"}));
    EXPECT_EQ(1, first.itemChanges);
    EXPECT_EQ(1, second.itemChanges);
    EXPECT_EQ(&list, first.lastList);
    EXPECT_EQ(3, list.GetNumRows());
    EXPECT_EQ(3, list.GetInnerList().getNumRows());
    EXPECT_EQ(list.getLocalBounds(), list.GetInnerList().getBounds());

    // Equal: nothing at all, so a selection survives.
    list.GetInnerList().selectRow(1);
    list.SetItems(makeItems({"a", "b", "c"}));
    EXPECT_EQ(1, first.itemChanges);
    EXPECT_TRUE(list.GetInnerList().isRowSelected(1));

    list.SetItems(makeItems({"b", "a", "c"})); // another order
    EXPECT_EQ(2, first.itemChanges);
    list.SetItems(makeItems({"b", "a", "C"})); // one string changed
    EXPECT_EQ(3, first.itemChanges);
    list.SetItems(makeItems({"b", "a"})); // another count
    EXPECT_EQ(4, first.itemChanges);
    EXPECT_EQ(std::vector<std::string>({"b", "a"}), texts(list.GetItems()));
    EXPECT_EQ(4, second.itemChanges);

    list.RemoveListener(&second);
    list.SetItems(qev::StringArray());
    EXPECT_EQ(5, first.itemChanges);
    EXPECT_EQ(4, second.itemChanges);
    EXPECT_EQ(0, list.GetNumRows());
}

TEST(TableListBox, FontSizeIsClampedAndSetsTheRowHeight)
{
    widgets::TableListBox list;
    juce::TableListBox& inner = list.GetInnerList();

    list.IncrementFontSize();
    EXPECT_FLOAT_EQ(14.0f, list.GetFont().getHeight());
    EXPECT_EQ(19, inner.getRowHeight());

    for (auto const& [size, height, row] : {std::tuple<float, float, int>{0.5f, 1.0f, 6},
                                            {200.0f, 120.0f, 125},
                                            {13.7f, 13.7f, 18},
                                            {-4.0f, 1.0f, 6},
                                            {std::numeric_limits<float>::quiet_NaN(), 1.0f, 6},
                                            {std::numeric_limits<float>::infinity(), 120.0f, 125}})
    {
        list.SetFontSize(size);
        EXPECT_FLOAT_EQ(height, list.GetFont().getHeight()) << size;
        EXPECT_EQ(row, inner.getRowHeight()) << size;
    }

    list.SetFontSize(120.0f);
    list.IncrementFontSize();
    EXPECT_FLOAT_EQ(120.0f, list.GetFont().getHeight());
    list.SetFontSize(1.0f);
    list.DecrementFontSize();
    EXPECT_FLOAT_EQ(1.0f, list.GetFont().getHeight());
    EXPECT_EQ(6, inner.getRowHeight());
}

TEST(TableListBox, TheColumnSpansTheVisibleWidthWhetherTheVerticalScrollBarShowsOrNot)
{
    widgets::TableListBox list;
    juce::TableListBox& inner = list.GetInnerList();
    list.setSize(200, 100);
    auto const few = makeItems({"a", "b", "c"});
    auto const many = makeItems(std::vector<std::string>(30, "line"));
    struct Step
    {
        char const* what;
        std::function<void()> change;
        bool scrolls;
    };
    Step const steps[] = {
        {"few rows", [&] { list.SetItems(few); }, false},
        {"more rows than fit", [&] { list.SetItems(many); }, true},
        {"few again", [&] { list.SetItems(few); }, false},
        {"a font too big for them", [&] { list.SetFontSize(40.0f); }, true},
        {"a small font again", [&] { list.SetFontSize(13.0f); }, false},
    };
    for (auto const& step : steps)
    {
        step.change();
        EXPECT_EQ(step.scrolls, inner.getVerticalScrollBar().isVisible()) << step.what;
        // Nothing is wider than the list: no horizontal bar over the last row.
        EXPECT_FALSE(inner.getHorizontalScrollBar().isVisible()) << step.what;
        EXPECT_EQ(inner.getVisibleContentWidth(), inner.getHeader().getColumnWidth(1)) << step.what;
    }
}

TEST_F(TableListBoxWithItems, SelectedItemsComeBackInRowOrder)
{
    EXPECT_TRUE(list.GetSelected().IsEmpty());
    inner.selectRow(4);
    inner.selectRow(1, false, false);
    EXPECT_EQ(std::vector<std::string>({"one", "four"}), texts(list.GetSelected()));
}

TEST_F(TableListBoxWithItems, SelectAllSelectsEveryRowThenNone)
{
    inner.selectRow(1);
    inner.selectRow(3, false, false);
    EXPECT_TRUE(list.keyPressed(selectAllKey));
    EXPECT_EQ(5, inner.getNumSelectedRows());
    EXPECT_EQ(5u, list.GetSelected().GetSize());
    EXPECT_TRUE(list.keyPressed(selectAllKey));
    EXPECT_EQ(0, inner.getNumSelectedRows());

    widgets::TableListBox empty;
    EXPECT_TRUE(empty.keyPressed(selectAllKey));
    EXPECT_EQ(0, empty.GetInnerList().getNumSelectedRows());
}

TEST_F(TableListBoxWithItems, SelectAllIsLeftToTheInnerListWithoutMultipleSelection)
{
    list.SetMultipleSelectionEnabled(false);
    EXPECT_FALSE(list.IsMultipleSelectionEnabled());
    inner.selectRow(2);
    EXPECT_FALSE(list.keyPressed(selectAllKey));
    EXPECT_EQ(1, inner.getNumSelectedRows());
}

TEST_F(TableListBoxWithItems, EscapeDeselectsOnlyWhenThereIsASelection)
{
    EXPECT_FALSE(list.keyPressed(escapeKey));
    inner.selectRow(0);
    inner.selectRow(2, false, false);
    EXPECT_FALSE(
        list.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey, juce::ModifierKeys::shiftModifier, 0)));
    EXPECT_EQ(2, inner.getNumSelectedRows());
    EXPECT_TRUE(list.keyPressed(escapeKey));
    EXPECT_EQ(0, inner.getNumSelectedRows());
}

TEST_F(TableListBoxWithItems, ClicksAndSelectionsReachTheListeners)
{
    Recorder first;
    Recorder second;
    list.AddListener(&first);
    list.AddListener(&second);

    inner.selectRow(3);
    EXPECT_EQ(1, first.selections);
    EXPECT_EQ(1, second.selections);

    juce::TableListBoxModel* model = inner.getModel();
    ASSERT_NE(nullptr, model);
    model->cellDoubleClicked(2, 1, clickOn(inner, {10.0f, 45.0f}, 2));
    EXPECT_EQ(std::vector<int>{2}, first.doubleClickedRows);
    EXPECT_EQ(std::vector<int>{2}, second.doubleClickedRows);
    EXPECT_EQ(&list, second.lastList);

    // A click on the empty area below the last row deselects every row.
    inner.selectRow(1, false, false);
    ASSERT_EQ(2, inner.getNumSelectedRows());
    inner.mouseUp(clickOn(inner, {10.0f, 250.0f}, 1));
    EXPECT_EQ(0, inner.getNumSelectedRows());
    list.RemoveListener(&first);
    list.RemoveListener(&second);
}

TEST_F(TableListBoxWithItems, ListenerMayRemoveAnotherWhileBeingTold)
{
    struct Remover : widgets::TableListBox::Listener
    {
        void ItemsChanged(widgets::TableListBox& l) override { l.RemoveListener(other); }
        widgets::TableListBox::Listener* other = nullptr;
    };
    Recorder later;
    Remover remover;
    remover.other = &later;
    list.AddListener(&remover);
    list.AddListener(&later);
    list.SetItems(makeItems({"x"}));
    EXPECT_EQ(0, later.itemChanges);
}

TEST_F(TableListBoxWithItems, PaintsRowsAndCellsInTheirColoursAndNothingOutsideTheItems)
{
    juce::TableListBoxModel* model = inner.getModel();
    struct Case
    {
        int row;
        bool selected;
        juce::uint32 background;
    };
    for (auto const& c :
         {Case{0, false, 0xBFFFFFFFu}, Case{1, false, 0xBFEDF3FEu}, Case{4, true, 0xBF3875D7u}})
    {
        juce::Image background(juce::Image::ARGB, 100, 18, true);
        juce::Image cell(juce::Image::ARGB, 100, 18, true);
        {
            juce::Graphics g(background);
            model->paintRowBackground(g, c.row, 100, 18, c.selected);
            juce::Graphics h(cell);
            model->paintCell(h, c.row, 1, 100, 18, c.selected);
        }
        EXPECT_TRUE(guitest::colourNear(juce::Colour(c.background), background.getPixelAt(50, 9))) << c.row;
        // The text is black on every row, selected or not; a faint separator ends the cell.
        EXPECT_GT(guitest::countInk(cell, {0, 0, 99, 18}), 10) << c.row;
        EXPECT_EQ(0x33000000u, cell.getPixelAt(99, 9).getARGB()) << c.row;
    }

    juce::Image image(juce::Image::ARGB, 100, 20, true);
    {
        juce::Graphics g(image);
        model->paintCell(g, -1, 1, 100, 20, false);
        model->paintCell(g, 5, 1, 100, 20, true);
    }
    EXPECT_EQ(0, guitest::countDrawn(image));
}
