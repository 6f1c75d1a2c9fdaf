#include "GuiTestHelpers.h"
#include "common/QguiStrings.h"
#include "common/WidgetsOscSnapshotComponent.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscInterface.h"
#include "osc/QevOscMessage.h"
#include "utils/QevSystemClipboard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using guitest::pumpUntil;

namespace
{

// An object whose whole state is one number and one name.
class Target : public qev::OscInterface
{
public:
    bool ProcessMessage(qev::OscMessage const& message, qev::MessageFlag const& flag) override
    {
        received.push_back(message);
        flags.push_back(flag.GetValue());
        return true;
    }

    qev::OscBundle GetCurrentStateAsOscBundle() const override
    {
        qev::OscBundle state;
        if (!stateless)
        {
            state.AddNewMessage("/value", value);
            state.AddNewMessage("/name", name);
        }
        return state;
    }

    float value = 0.0f;
    qev::String name{"a"};
    bool stateless = false;
    std::vector<qev::OscMessage> received;
    std::vector<int> flags;
};

struct Console : qev::MaxConsoleNotifier::Listener
{
    void ConsoleNotificationReceived(qev::MaxConsoleNotifier const*,
                                     qev::MaxConsoleNotifier::Notification const& kind,
                                     qev::String const& text) override
    {
        if (kind == qev::MaxConsoleNotifier::Notification::Error)
            errors.push_back(text);
    }
    std::vector<qev::String> errors;
};

class SnapshotPanelTest : public ::testing::Test
{
protected:
    void SetUp() override { target.AddMaxConsoleListener(&console); }
    void TearDown() override
    {
        panel.reset();
        target.RemoveMaxConsoleListener(&console);
        juce::ModifierKeys::currentModifiers = juce::ModifierKeys();
        if (!folder.empty())
            std::filesystem::remove_all(folder);
    }

    widgets::OscSnapshotRows& rows() { return panel->GetRows(); }
    qev::OscSnapshotManager& manager() { return rows().GetManager(); }
    widgets::OscSnapshotOneRow& row(unsigned long i) { return rows().GetRow(i); }

    // Clicks as the user does: the framework delivers the click through its message loop. A
    // button that its own click deletes never reaches its onClick.
    void click(juce::Button& button)
    {
        ASSERT_TRUE(button.isEnabled());
        bool clicked = false;
        juce::Component::SafePointer<juce::Button> const alive(&button);
        button.onClick = [&clicked] { clicked = true; };
        button.triggerClick();
        ASSERT_TRUE(pumpUntil([&] { return clicked || alive == nullptr; }));
        if (alive != nullptr)
            alive->onClick = nullptr;
    }

    // "store" is always enabled; the others exactly when the slot holds a state.
    void expectStored(unsigned long i, bool stored)
    {
        EXPECT_TRUE(row(i).GetStoreButton().isEnabled());
        for (juce::Button* b : {&row(i).GetRecallButton(), &row(i).GetDeleteButton(),
                                &row(i).GetExportButton(), &row(i).GetCopyButton()})
            EXPECT_EQ(b->isEnabled(), stored) << b->getButtonText();
    }

    std::filesystem::path tempFolder()
    {
        if (folder.empty())
        {
            folder = std::filesystem::temp_directory_path() /
                     ("qgui-snapshot-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
            std::filesystem::create_directories(folder);
        }
        return folder;
    }

    static std::string readFile(std::filesystem::path const& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    Target target;
    Console console;
    std::unique_ptr<widgets::OscSnapshotComponent> panel =
        std::make_unique<widgets::OscSnapshotComponent>(target);
    std::filesystem::path folder;
};

TEST_F(SnapshotPanelTest, NewPanelShowsOneEmptySlotAndAddingAppendsRows)
{
    EXPECT_EQ(panel->getBounds(), juce::Rectangle<int>(0, 0, 450, 350));
    EXPECT_EQ(panel->GetViewport().getBounds(), juce::Rectangle<int>(0, 30, 450, 320));
    EXPECT_EQ(panel->GetViewport().getViewedComponent(), &rows());
    EXPECT_EQ(rows().getBounds(), juce::Rectangle<int>(0, 0, 450, 400));
    ASSERT_EQ(rows().GetNumRows(), 1u);
    EXPECT_EQ(row(0).GetIndexLabel().getText(), "#1");
    EXPECT_EQ(row(0).GetTitleEditor().GetText(), "untitled");
    expectStored(0, false);
    EXPECT_EQ(row(0).GetTitleEditor().findColour(juce::TextEditor::outlineColourId),
              juce::Colour(0x7FFFFFFFu));

    click(panel->GetAddButton());
    click(panel->GetAddButton());
    ASSERT_EQ(rows().GetNumRows(), 3u);
    EXPECT_EQ(rows().getHeight(), 66);
    EXPECT_EQ(row(2).GetIndexLabel().getText(), "#3");
    EXPECT_EQ(row(2).GetTitleEditor().GetText(), "untitled");
    expectStored(2, false);
    EXPECT_EQ(row(2).getBounds(), juce::Rectangle<int>(0, 44, 450, 22));
    EXPECT_EQ(row(2).GetCopyButton().getBounds(), juce::Rectangle<int>(336, 1, 45, 20));
    EXPECT_EQ(row(0).GetBackgroundColour(), juce::Colour(0xFFEDF3FEu));
    EXPECT_EQ(row(1).GetBackgroundColour(), juce::Colour(0xFFFFFFFFu));
    EXPECT_EQ(row(2).GetBackgroundColour(), juce::Colour(0xFFEDF3FEu));
}

TEST_F(SnapshotPanelTest, StoreAndRecallRoundTripThroughTheTarget)
{
    target.value = 0.25f;
    target.name = "first";
    click(row(0).GetStoreButton());
    expectStored(0, true);
    EXPECT_EQ(row(0).GetTitleEditor().GetText(), "untitled");
    qev::OscBundle const stored = manager().GetSnapshotContent(0);
    EXPECT_EQ(stored, target.GetCurrentStateAsOscBundle());

    target.value = 0.75f;
    click(row(0).GetRecallButton());
    ASSERT_EQ(target.received.size(), 2u);
    EXPECT_EQ(target.received[0], *stored[0].GetMessage());
    EXPECT_EQ(target.received[1], *stored[1].GetMessage());
    EXPECT_EQ(target.flags, (std::vector<int>{0, 0}));

    // Storing an empty state leaves a slot that can only be stored into again.
    target.stateless = true;
    click(row(0).GetStoreButton());
    expectStored(0, false);
}

TEST_F(SnapshotPanelTest, DeletingAMiddleSlotRefillsTheRowsBelowAndDropsTheLastRow)
{
    click(panel->GetAddButton());
    click(panel->GetAddButton());
    target.value = 1.0f;
    click(row(0).GetStoreButton());
    target.value = 2.0f;
    click(row(1).GetStoreButton());
    row(1).GetTitleEditor().SetText("second", false);
    row(2).GetTitleEditor().SetText("third", false);
    qev::OscBundle const second = manager().GetSnapshotContent(1);
    juce::Component::SafePointer<widgets::OscSnapshotOneRow> const lastRow(&row(2));

    click(row(0).GetDeleteButton());
    ASSERT_EQ(rows().GetNumRows(), 2u);
    EXPECT_EQ(lastRow.getComponent(), nullptr);
    EXPECT_EQ(rows().getHeight(), 44);
    EXPECT_EQ(row(0).GetIndexLabel().getText(), "#1");
    EXPECT_EQ(row(0).GetTitleEditor().GetText(), "second");
    EXPECT_EQ(manager().GetSnapshotContent(0), second);
    expectStored(0, true);
    EXPECT_EQ(row(1).GetIndexLabel().getText(), "#2");
    EXPECT_EQ(row(1).GetTitleEditor().GetText(), "third");
    expectStored(1, false);
    // A row keeps the colour it was made with.
    EXPECT_EQ(row(1).GetBackgroundColour(), juce::Colour(0xFFFFFFFFu));

    // Removing the only stored slot of a one-slot list leaves no rows; "+" starts again.
    click(row(1).GetStoreButton());
    click(row(1).GetDeleteButton());
    click(row(0).GetDeleteButton());
    EXPECT_EQ(rows().GetNumRows(), 0u);
    EXPECT_EQ(rows().getHeight(), 0);
    click(panel->GetAddButton());
    ASSERT_EQ(rows().GetNumRows(), 1u);
    EXPECT_EQ(row(0).GetIndexLabel().getText(), "#1");
    expectStored(0, false);
}

TEST_F(SnapshotPanelTest, TitlesAreStoredAsTheyAreTyped)
{
    auto& editor = row(0).GetTitleEditor();
    editor.SetText("typed", true);
    EXPECT_TRUE(pumpUntil([&] { return manager().GetSnapshot(0).title == "typed"; }));

    // Typing then clicking at once: the click must not refill the editor with the older title.
    editor.SetText("quick", false);
    click(panel->GetAddButton());
    EXPECT_EQ(manager().GetSnapshot(0).title, "quick");
    EXPECT_EQ(row(0).GetTitleEditor().GetText(), "quick");

    // Return and Escape keep the text: no new line, no undo.
    editor.SetText("kept", false);
    editor.keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    EXPECT_TRUE(pumpUntil([&] { return manager().GetSnapshot(0).title == "kept"; }));
    editor.insertTextAtCaret("!");
    editor.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey));
    EXPECT_TRUE(pumpUntil([&] { return manager().GetSnapshot(0).title == "kept!"; }));
    EXPECT_EQ(editor.GetText(), "kept!");
}

TEST_F(SnapshotPanelTest, CopyJoinsLinesByTheHeldModifier)
{
    click(row(0).GetStoreButton());
    qev::OscBundle const content = manager().GetSnapshotContent(0);

    juce::ModifierKeys::currentModifiers = juce::ModifierKeys();
    click(row(0).GetCopyButton());
    EXPECT_EQ(qev::SystemClipboard::GetTextFromClipboard(), content.ToString(", "));

    juce::ModifierKeys::currentModifiers = juce::ModifierKeys(juce::ModifierKeys::shiftModifier);
    click(row(0).GetCopyButton());
    EXPECT_EQ(qev::SystemClipboard::GetTextFromClipboard(), content.ToString("\n"));

    qev::SystemClipboard::CopyTextToClipboard("");
    juce::ModifierKeys::currentModifiers = juce::ModifierKeys(juce::ModifierKeys::ctrlModifier);
    click(row(0).GetCopyButton());
    EXPECT_EQ(qev::SystemClipboard::GetTextFromClipboard(), content.ToString("\n"));
    EXPECT_TRUE(console.errors.empty());
}

TEST_F(SnapshotPanelTest, ExportWritesTheSnapshotAsTextWhenTheDialogAnswers)
{
    std::vector<std::function<void(juce::File const&)>> pending;
    rows().SetExportDialog([&pending](std::function<void(juce::File const&)> chosen)
                           { pending.push_back(std::move(chosen)); });
    target.value = 0.5f;
    target.name = "exported";
    click(row(0).GetStoreButton());
    qev::OscBundle const content = manager().GetSnapshotContent(0);

    // The content is the one of the click, whatever happens before the dialog answers.
    click(row(0).GetExportButton());
    ASSERT_EQ(pending.size(), 1u);
    target.stateless = true;
    click(row(0).GetStoreButton());
    auto const name = tempFolder() / "snap";
    pending[0](juce::File(name.string()));
    auto const written = name.string() + ".txt";
    EXPECT_EQ(readFile(written), std::string(content.ToString("\n").GetCString()));

    // Over an existing file, which the dialog has warned about.
    target.stateless = false;
    target.name = "replaced";
    click(row(0).GetStoreButton());
    click(row(0).GetExportButton());
    ASSERT_EQ(pending.size(), 2u);
    pending[1](juce::File(written));
    EXPECT_EQ(readFile(written), std::string(manager().GetSnapshotContent(0).ToString("\n").GetCString()));

    // A cancelled dialog never answers: nothing written. A slot deleted meanwhile still exports.
    click(row(0).GetExportButton());
    click(row(0).GetDeleteButton());
    ASSERT_EQ(pending.size(), 3u);
    pending[2](juce::File((tempFolder() / "late.txt").string()));
    EXPECT_TRUE(std::filesystem::exists(tempFolder() / "late.txt"));
    EXPECT_TRUE(console.errors.empty());
}

TEST_F(SnapshotPanelTest, ExportFailuresGoToTheConsoleAndThePanelStaysUsable)
{
    std::function<void(juce::File const&)> pending;
    rows().SetExportDialog([&pending](std::function<void(juce::File const&)> chosen) { pending = chosen; });
    click(row(0).GetStoreButton());
    click(row(0).GetExportButton());
    ASSERT_TRUE(pending);
    auto const dir = tempFolder() / "a-folder.txt";
    std::filesystem::create_directories(dir);
    pending(juce::File(dir.string()));
    ASSERT_EQ(console.errors.size(), 1u);
    EXPECT_TRUE(console.errors[0].Contains("snapshot export"));
    EXPECT_TRUE(std::filesystem::is_directory(dir));

    // A dialog answering after the panel is gone writes without reporting anywhere.
    click(row(0).GetExportButton());
    auto const late = pending;
    panel.reset();
    late(juce::File((tempFolder() / "after.txt").string()));
    EXPECT_TRUE(std::filesystem::exists(tempFolder() / "after.txt"));
}

TEST_F(SnapshotPanelTest, DefaultExportDialogNeedsADisplay)
{
    if (qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "opens a real dialog on a display";
    click(row(0).GetStoreButton());
    click(row(0).GetExportButton());
    ASSERT_EQ(console.errors.size(), 1u);
    EXPECT_TRUE(console.errors[0].Contains("no display"));
    click(panel->GetAddButton());
    EXPECT_EQ(rows().GetNumRows(), 2u);
}

TEST_F(SnapshotPanelTest, APressOnTheBackgroundEndsTitleEditing)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "keyboard focus needs a window on a display";
    panel->addToDesktop(0);
    panel->setVisible(true);
    auto& editor = row(0).GetTitleEditor();
    editor.grabKeyboardFocus();
    if (!pumpUntil([&] { return editor.hasKeyboardFocus(false); }))
        GTEST_SKIP() << "the display gave no keyboard focus";
    editor.insertTextAtCaret("x");
    auto const event =
        juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), {}, {}, 1.0f, 0.0f, 0.0f, 0.0f,
                         0.0f, &rows(), &rows(), juce::Time(), {}, juce::Time(), 1, false);
    rows().mouseDown(event);
    EXPECT_FALSE(editor.hasKeyboardFocus(false));
    EXPECT_TRUE(pumpUntil([&] { return manager().GetSnapshot(0).title == editor.GetText(); }));
}

} // namespace
