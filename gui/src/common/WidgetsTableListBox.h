#pragma once

#include "memory/QevVector.h"
#include "text/QevStringArray.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace widgets
{

// A one-column list of text lines, one string per row, with alternating row colours, a font size
// the user can step, select all (Ctrl/Cmd+A) and Escape to deselect. It is its inner list's model,
// so its users deal only in strings.
class TableListBox : public juce::Component, private juce::TableListBoxModel
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void SelectionChanged(TableListBox& list) { juce::ignoreUnused(list); }
        virtual void ItemsChanged(TableListBox& list) { juce::ignoreUnused(list); }
        virtual void RowDoubleClicked(TableListBox& list, int row) { juce::ignoreUnused(list, row); }
    };

    static constexpr float minimumFontSize = 1.0f;
    static constexpr float maximumFontSize = 120.0f;
    static constexpr int headerHeight = 22;

    TableListBox();
    ~TableListBox() override;

    bool keyPressed(const juce::KeyPress& key) override;
    void resized() override;

    void SetClickingTogglesRowSelection(bool toggles);
    void SetMultipleSelectionEnabled(bool enabled);
    bool IsMultipleSelectionEnabled() const noexcept { return multipleSelectionEnabled; }
    void SetHeaderVisible(bool visible);

    // Does nothing at all when the items equal the current ones, so that a caller may hand over
    // the whole list on every refresh and the screen changes only when the content does.
    void SetItems(const qev::StringArray& items);
    const qev::StringArray& GetItems() const noexcept { return items; }
    // The items of the selected rows, in row order.
    qev::StringArray GetSelected() const;
    int GetNumRows() const;

    // Clamped to 1..120; the row height follows (integer part of the size plus 5).
    void SetFontSize(float size);
    void IncrementFontSize();
    void DecrementFontSize();
    const juce::Font& GetFont() const noexcept { return font; }

    // Null and duplicates are ignored; listeners are not owned.
    void AddListener(Listener* listener);
    void RemoveListener(Listener* listener);

    juce::TableListBox& GetInnerList() noexcept { return list; }
    const juce::TableListBox& GetInnerList() const noexcept { return list; }

    juce::Colour GetSelectedRowColour() const noexcept { return selectedRowColour; }
    juce::Colour GetEvenRowColour() const noexcept { return evenRowColour; }
    juce::Colour GetOddRowColour() const noexcept { return oddRowColour; }
    // The background of a row as painted.
    juce::Colour GetRowColour(int rowNumber, bool rowIsSelected) const noexcept;

private:
    int getNumRows() override;
    void paintRowBackground(juce::Graphics& g, int rowNumber, int width, int height,
                            bool rowIsSelected) override;
    void paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height,
                   bool rowIsSelected) override;
    void backgroundClicked(const juce::MouseEvent& event) override;
    void cellDoubleClicked(int rowNumber, int columnId, const juce::MouseEvent& event) override;
    void selectedRowsChanged(int lastRowSelected) override;

    void fitColumn();
    void callListeners(const std::function<void(Listener&)>& call);

    juce::LookAndFeel_V3 lookAndFeel;
    bool multipleSelectionEnabled = true;
    juce::TableListBox list;
    qev::StringArray items;
    juce::Font font;
    qev::Vector<Listener*> listeners;
    const juce::Colour selectedRowColour;
    const juce::Colour evenRowColour;
    const juce::Colour oddRowColour;
    const juce::Colour textColour;

    JUCE_DECLARE_NON_COPYABLE(TableListBox)
};

} // namespace widgets
