#include "WidgetsTableListBox.h"

#include "common/QguiFunctions.h"
#include "common/QguiStrings.h"

namespace widgets
{

TableListBox::TableListBox()
    // Alphas written out as whole bytes (0.75 is 0xBF, 0.5 is 0x7F, 0.2 is 0x33): this framework's
    // withAlpha rounds where the GUI's colours truncate.
    : list(juce::String(), nullptr), selectedRowColour(0xBF3875D7u), evenRowColour(0xBFFFFFFFu),
      oddRowColour(0xBFEDF3FEu), textColour(0xFF000000u)
{
    list.setClickingTogglesRowSelection(true);
    multipleSelectionEnabled = true;
    list.setMultipleSelectionEnabled(true);
    list.setColour(juce::ListBox::outlineColourId, juce::Colours::grey);
    list.setColour(juce::ListBox::backgroundColourId, juce::Colour(0x7FFFFFFFu));
    list.setOutlineThickness(1);
    list.setHeaderHeight(0);
    list.setRowHeight(18);
    list.setModel(this);

    // Visible, draggable and in the column menu; neither resizable nor sortable.
    int const columnFlags = juce::TableHeaderComponent::visible | juce::TableHeaderComponent::draggable |
                            juce::TableHeaderComponent::appearsOnColumnMenu;
    list.getHeader().addColumn(juce::String(), 1, 30, 20, -1, columnFlags, -1);
    list.getHeader().setStretchToFitActive(true);

    font = qgui::GetFont("Arial", "plain", 13.0f);
    repaint();

    list.setLookAndFeel(&lookAndFeel);
    list.getVerticalScrollBar().setLookAndFeel(&lookAndFeel);
    list.getHorizontalScrollBar().setLookAndFeel(&lookAndFeel);
    addAndMakeVisible(list);
    list.updateContent();
    setWantsKeyboardFocus(true);
}

TableListBox::~TableListBox()
{
    // The scroll bars and the list must not point at the look-and-feel once it goes.
    list.getVerticalScrollBar().setLookAndFeel(nullptr);
    list.getHorizontalScrollBar().setLookAndFeel(nullptr);
    list.setLookAndFeel(nullptr);
}

bool TableListBox::keyPressed(const juce::KeyPress& key)
{
    if (multipleSelectionEnabled && qgui::ShortCuts::CorrespondsTo(key, qgui::ShortCuts::SelectAll))
    {
        int const count = static_cast<int>(items.GetSize());
        if (list.getNumSelectedRows() != count)
            list.selectRangeOfRows(0, count - 1, false);
        else
            list.deselectAllRows();
        return true;
    }
    if (key == juce::KeyPress(juce::KeyPress::escapeKey) && list.getNumSelectedRows() > 0)
    {
        list.deselectAllRows();
        return true;
    }
    return list.keyPressed(key);
}

void TableListBox::resized()
{
    list.setBounds(getLocalBounds());
}

void TableListBox::SetClickingTogglesRowSelection(bool toggles)
{
    list.setClickingTogglesRowSelection(toggles);
}

void TableListBox::SetMultipleSelectionEnabled(bool enabled)
{
    multipleSelectionEnabled = enabled;
    list.setMultipleSelectionEnabled(enabled);
}

void TableListBox::SetHeaderVisible(bool visible)
{
    list.setHeaderHeight(visible ? headerHeight : 0);
}

void TableListBox::SetItems(const qev::StringArray& newItems)
{
    if (!(newItems != items))
        return;
    items = newItems;
    list.updateContent();
    callListeners([this](Listener& listener) { listener.ItemsChanged(*this); });
    list.setBounds(getLocalBounds());
    fitColumn();
    repaint();
}

qev::StringArray TableListBox::GetSelected() const
{
    qev::StringArray selected;
    int const count = static_cast<int>(items.GetSize());
    for (int row = 0; row < count; ++row)
        if (list.isRowSelected(row))
            selected.PushBack(items[static_cast<unsigned long>(row)]);
    return selected;
}

int TableListBox::GetNumRows() const
{
    return static_cast<int>(items.GetSize());
}

void TableListBox::SetFontSize(float size)
{
    // NaN compares false both ways: it would pass a plain clamp, so it takes the minimum.
    float height = minimumFontSize;
    if (size > maximumFontSize)
        height = maximumFontSize;
    else if (size >= minimumFontSize)
        height = size;
    font.setHeight(height);
    list.setRowHeight(static_cast<int>(height) + 5);
    fitColumn();
    repaint();
}

void TableListBox::IncrementFontSize()
{
    SetFontSize(font.getHeight() + 1.0f);
}

void TableListBox::DecrementFontSize()
{
    SetFontSize(font.getHeight() - 1.0f);
}

void TableListBox::AddListener(Listener* listener)
{
    if (listener != nullptr && !listeners.Contains(listener))
        listeners.PushBack(listener);
}

void TableListBox::RemoveListener(Listener* listener)
{
    long const index = listeners.IndexOf(listener);
    if (index >= 0)
        listeners.Remove(static_cast<unsigned long>(index));
}

void TableListBox::fitColumn()
{
    // The framework fits the column to the visible width only when the list is resized; a vertical
    // scroll bar that comes or goes with the rows changes that width as well, and a column left
    // wider than the view brings up a horizontal bar over the last row.
    list.resized();
}

void TableListBox::callListeners(const std::function<void(Listener&)>& call)
{
    // Over a copy, so that a listener may add or remove listeners while being told; one removed
    // meanwhile is not told.
    qev::Vector<Listener*> const current = listeners;
    for (Listener* listener : current)
        if (listeners.Contains(listener))
            call(*listener);
}

juce::Colour TableListBox::GetRowColour(int rowNumber, bool rowIsSelected) const noexcept
{
    if (rowIsSelected)
        return selectedRowColour;
    return (rowNumber % 2 != 0) ? oddRowColour : evenRowColour;
}

int TableListBox::getNumRows()
{
    return GetNumRows();
}

void TableListBox::paintRowBackground(juce::Graphics& g, int rowNumber, int width, int height,
                                      bool rowIsSelected)
{
    g.setColour(GetRowColour(rowNumber, rowIsSelected));
    g.fillRect(0, 0, width, height);
}

void TableListBox::paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height,
                             bool rowIsSelected)
{
    juce::ignoreUnused(columnId, rowIsSelected);
    if (rowNumber < 0 || rowNumber >= GetNumRows())
        return;
    g.setFont(font);
    g.setColour(textColour);
    g.drawText(qgui::ToJuceString(items[static_cast<unsigned long>(rowNumber)]), 3, 0, width - 6, height,
               juce::Justification::centredLeft, true);
    g.setColour(juce::Colour(0x33000000u));
    g.fillRect(width - 1, 0, 1, height);
}

void TableListBox::backgroundClicked(const juce::MouseEvent& event)
{
    juce::ignoreUnused(event);
    list.deselectAllRows();
}

void TableListBox::cellDoubleClicked(int rowNumber, int columnId, const juce::MouseEvent& event)
{
    juce::ignoreUnused(columnId, event);
    callListeners([this, rowNumber](Listener& listener) { listener.RowDoubleClicked(*this, rowNumber); });
}

void TableListBox::selectedRowsChanged(int lastRowSelected)
{
    juce::ignoreUnused(lastRowSelected);
    callListeners([this](Listener& listener) { listener.SelectionChanged(*this); });
}

} // namespace widgets
