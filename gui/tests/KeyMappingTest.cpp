#include "GuiTestHelpers.h"
#include "common/QguiDocumentWindow.h"
#include "common/QguiFunctions.h"
#include "common/QguiKeyMappingEditorWindow.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsKeyMappingEditorComponent.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

using guitest::pumpUntil;

namespace
{

constexpr juce::CommandID fullScreen = 0x9000;
constexpr juce::CommandID closeWindow = 0x9001;
constexpr juce::CommandID maximizeWindow = 0x9002;

juce::KeyPressMappingSet& mappings()
{
    return *qgui::GetApplicationCommandManager()->getKeyMappings();
}

juce::KeyPress key(char character, int modifiers)
{
    return juce::KeyPress(character, juce::ModifierKeys(modifiers), 0);
}

template <typename Child> Child* findChild(juce::Component& parent, std::function<bool(Child&)> const& wanted)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* found = dynamic_cast<Child*>(child); found != nullptr && wanted(*found))
            return found;
        if (auto* deeper = findChild(*child, wanted))
            return deeper;
    }
    return nullptr;
}

void click(juce::Component& dialog, juce::String const& text)
{
    auto* button =
        findChild<juce::TextButton>(dialog, [&](juce::TextButton& b) { return b.getButtonText() == text; });
    ASSERT_NE(nullptr, button) << text;
    button->triggerClick();
}

// Acts on a modal dialog of the type as soon as one is up, from within the modal loop that shows
// it; gives up after five seconds. Deletes itself.
template <typename Dialog> class WhenShown : private juce::Timer
{
public:
    explicit WhenShown(std::function<void(Dialog&)> act) : action(std::move(act)) { startTimer(10); }

private:
    void timerCallback() override
    {
        if (auto* dialog = dynamic_cast<Dialog*>(juce::Component::getCurrentlyModalComponent()))
            action(*dialog);
        else if (++ticks < 500)
            return;
        delete this;
    }

    std::function<void(Dialog&)> const action;
    int ticks = 0;
};

template <typename Dialog> void whenShown(std::function<void(Dialog&)> act)
{
    new WhenShown<Dialog>(std::move(act));
}

// The window commands registered and at their defaults; the folder is removed afterwards.
class KeyMapping : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A window registers the commands; they stay registered after it is gone.
        qgui::DocumentWindow registering(nullptr);
        mappings().resetToDefaultMappings();
        ASSERT_TRUE(folder.createDirectory());
    }
    void TearDown() override
    {
        mappings().resetToDefaultMappings();
        folder.deleteRecursively();
    }

    juce::File file(char const* name) const { return folder.getChildFile(name); }

    static juce::Array<juce::KeyPress> keysOf(juce::CommandID id)
    {
        return mappings().getKeyPressesAssignedToCommand(id);
    }

    // A change of every kind: a command without keys, one with an extra key.
    static void customise()
    {
        mappings().clearAllKeyPresses(closeWindow);
        mappings().addKeyPress(fullScreen, key('k', juce::ModifierKeys::altModifier));
        mappings().clearAllKeyPresses(maximizeWindow);
        mappings().addKeyPress(maximizeWindow, juce::KeyPress(juce::KeyPress::F5Key));
    }

    // A folder of its own: CTest runs these tests in parallel, also all at once on a display.
    juce::File const folder = []
    {
        std::string pattern = juce::File::getSpecialLocation(juce::File::tempDirectory)
                                  .getChildFile("keymapping-XXXXXX")
                                  .getFullPathName()
                                  .toStdString();
        return ::mkdtemp(pattern.data()) != nullptr ? juce::File(pattern) : juce::File();
    }();
};

} // namespace

TEST_F(KeyMapping, PanelLaysOutTheEditorAndItsButtons)
{
    widgets::KeyMappingEditorComponent panel(mappings());
    EXPECT_EQ(500, panel.getWidth());
    EXPECT_EQ(900, panel.getHeight());
    EXPECT_EQ(juce::Rectangle<int>(0, 0, 500, 872), panel.GetEditor().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(446, 878, 50, 18), panel.GetResetButton().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(386, 878, 50, 18), panel.GetLoadButton().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(326, 878, 50, 18), panel.GetSaveButton().getBounds());
    EXPECT_EQ(juce::String("Export shortcuts"), panel.GetSaveButton().getTooltip());
    EXPECT_EQ(juce::String("Load shortcuts"), panel.GetLoadButton().getTooltip());
    EXPECT_EQ(juce::String("reset"), panel.GetResetButton().getTooltip());
    EXPECT_EQ(&mappings(), &panel.GetEditor().getMappings());

    panel.setSize(300, 100);
    EXPECT_EQ(juce::Rectangle<int>(0, 0, 300, 72), panel.GetEditor().getBounds());
    EXPECT_EQ(juce::Rectangle<int>(126, 78, 50, 18), panel.GetSaveButton().getBounds());
}

TEST_F(KeyMapping, ResetButtonRestoresTheDefaultShortcuts)
{
    widgets::KeyMappingEditorComponent panel(mappings());
    customise();
    EXPECT_TRUE(keysOf(closeWindow).isEmpty());

    panel.GetResetButton().triggerClick();
    ASSERT_TRUE(pumpUntil([] { return !keysOf(closeWindow).isEmpty(); }));
    int const ctrl = juce::ModifierKeys::ctrlModifier;
    int const command = juce::ModifierKeys::commandModifier;
    EXPECT_TRUE(keysOf(fullScreen).contains(key('f', ctrl)));
    EXPECT_TRUE(keysOf(fullScreen).contains(key('f', command)));
    EXPECT_FALSE(keysOf(fullScreen).contains(key('k', juce::ModifierKeys::altModifier)));
    EXPECT_TRUE(keysOf(closeWindow).contains(key('w', ctrl)));
    EXPECT_TRUE(keysOf(closeWindow).contains(key('w', command)));
    ASSERT_EQ(1, keysOf(maximizeWindow).size());
    EXPECT_EQ(key('f', juce::ModifierKeys::shiftModifier), keysOf(maximizeWindow)[0]);
}

TEST_F(KeyMapping, ExportWritesTheWholeSetAsUtf8XmlAndLoadingRestoresIt)
{
    widgets::KeyMappingEditorComponent panel(mappings());
    customise();
    auto const full = keysOf(fullScreen);
    auto const maximize = keysOf(maximizeWindow);
    auto const target = file("shortcuts.xml");
    ASSERT_TRUE(panel.SaveAs(target));

    auto const text = target.loadFileAsString();
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << text;
    EXPECT_FALSE(text.contains("<!DOCTYPE"));
    EXPECT_TRUE(text.contains("basedOnDefaults=\"0\"")) << text;
    EXPECT_TRUE(text.contains("commandId=\"9000\"")) << text;
    EXPECT_TRUE(text.contains("description=\"set full screen\"")) << text;
    EXPECT_FALSE(text.contains("commandId=\"9001\"")) << text;
    auto const parsed = juce::XmlDocument::parse(text);
    ASSERT_NE(nullptr, parsed);
    EXPECT_TRUE(parsed->hasTagName("KEYMAPPINGS"));
    EXPECT_EQ(full.size() + maximize.size(), parsed->getNumChildElements());
    // Nothing of the safe write is left behind.
    EXPECT_EQ(
        1, folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles));

    mappings().resetToDefaultMappings();
    ASSERT_TRUE(widgets::KeyMappingEditorComponent::Import(mappings(), target));
    EXPECT_EQ(full, keysOf(fullScreen));
    EXPECT_TRUE(keysOf(closeWindow).isEmpty());
    EXPECT_EQ(maximize, keysOf(maximizeWindow));

    // The window manager's export with another line width reads back the same.
    auto const wide = file("wide.xml");
    ASSERT_TRUE(widgets::KeyMappingEditorComponent::Export(mappings(), wide, 200));
    mappings().resetToDefaultMappings();
    ASSERT_TRUE(widgets::KeyMappingEditorComponent::Import(mappings(), wide));
    EXPECT_EQ(full, keysOf(fullScreen));
    EXPECT_TRUE(keysOf(closeWindow).isEmpty());
}

TEST_F(KeyMapping, OnDisplaySaveGivesANameWithoutExtensionXmlAndAsksBeforeReplacing)
{
    if (!qgui::Runtime::HasDisplay())
        GTEST_SKIP() << "no display for the save dialog";
    if (juce::FileChooser::isPlatformDialogAvailable())
        GTEST_SKIP() << "the platform's own save dialog runs outside this process";
    widgets::KeyMappingEditorComponent panel(mappings());
    auto const taken = file("taken.xml");
    struct Case
    {
        char const* typed;
        char const* answer; // to the question about replacing; null when none comes
        bool saved;
    };
    for (auto const& c : {Case{"shortcuts", nullptr, true}, Case{"taken", "Cancel", false},
                          Case{"taken", "Overwrite", true}, Case{"other.XML", nullptr, true}})
    {
        ASSERT_TRUE(taken.replaceWithText("old"));
        auto const typed = file(c.typed);
        whenShown<juce::FileChooserDialogBox>(
            [typed](juce::FileChooserDialogBox& dialog)
            {
                auto* browser = findChild<juce::FileBrowserComponent>(dialog, [](juce::FileBrowserComponent&)
                                                                      { return true; });
                ASSERT_NE(nullptr, browser);
                browser->setFileName(typed.getFullPathName());
                click(dialog, "Save");
            });
        if (c.answer != nullptr)
            whenShown<juce::AlertWindow>([answer = c.answer](juce::AlertWindow& alert)
                                         { click(alert, answer); });

        EXPECT_EQ(c.saved, panel.SaveAs()) << c.typed;
        auto const written = typed.getFileExtension().isEmpty() ? typed.withFileExtension("xml") : typed;
        EXPECT_EQ(c.saved, written.loadFileAsString().contains("KEYMAPPINGS")) << c.typed;
        if (written != typed)
        {
            EXPECT_FALSE(typed.exists()) << c.typed;
        }
    }
    EXPECT_EQ(
        3, folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles));
}

TEST_F(KeyMapping, LoadingAnythingElseChangesNothing)
{
    customise();
    auto const full = keysOf(fullScreen);
    auto const maximize = keysOf(maximizeWindow);
    auto const unchanged = [&] {
        return keysOf(fullScreen) == full && keysOf(closeWindow).isEmpty() &&
               keysOf(maximizeWindow) == maximize;
    };

    auto const notXml = file("not.xml");
    ASSERT_TRUE(notXml.replaceWithText("this is not XML"));
    auto const otherRoot = file("other.xml");
    ASSERT_TRUE(otherRoot.replaceWithText("<?xml version=\"1.0\"?>\n<MAPPINGS basedOnDefaults=\"0\">"
                                          "<MAPPING commandId=\"9001\" key=\"ctrl + Q\"/></MAPPINGS>"));
    auto const cut = file("cut.xml");
    ASSERT_TRUE(
        cut.replaceWithText("<KEYMAPPINGS basedOnDefaults=\"0\"><MAPPING commandId=\"9001\" key=\"ctrl"));
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    auto const nested = file("nested.xml");
    ASSERT_TRUE(nested.replaceWithText(juce::String(deep)));

    for (auto const& source : {notXml, otherRoot, cut, nested, file("missing.xml"), juce::File()})
    {
        EXPECT_FALSE(widgets::KeyMappingEditorComponent::Import(mappings(), source))
            << source.getFullPathName();
        EXPECT_TRUE(unchanged()) << source.getFullPathName();
    }
    // A folder is not a file either.
    EXPECT_FALSE(widgets::KeyMappingEditorComponent::Import(mappings(), folder));
    EXPECT_TRUE(unchanged());

    // Without "basedOnDefaults" the listed keys are added to the defaults.
    auto const partial = file("partial.xml");
    ASSERT_TRUE(
        partial.replaceWithText("<KEYMAPPINGS><MAPPING commandId=\"9001\" key=\"alt + Q\"/></KEYMAPPINGS>"));
    ASSERT_TRUE(widgets::KeyMappingEditorComponent::Import(mappings(), partial));
    EXPECT_TRUE(keysOf(closeWindow).contains(key('q', juce::ModifierKeys::altModifier)));
    EXPECT_TRUE(keysOf(closeWindow).contains(key('w', juce::ModifierKeys::ctrlModifier)));
}

TEST_F(KeyMapping, FailedExportLeavesWhatWasThere)
{
    // The target is a folder: it stays one, with what it holds.
    auto const taken = file("taken.xml");
    ASSERT_TRUE(taken.createDirectory());
    ASSERT_TRUE(taken.getChildFile("inside").replaceWithText("kept"));
    EXPECT_FALSE(widgets::KeyMappingEditorComponent::Export(mappings(), taken, 60));
    EXPECT_TRUE(taken.isDirectory());
    EXPECT_EQ(juce::String("kept"), taken.getChildFile("inside").loadFileAsString());

    // The folder cannot be made: a file stands where it would go.
    auto const blocker = file("blocker");
    ASSERT_TRUE(blocker.replaceWithText("old"));
    EXPECT_FALSE(widgets::KeyMappingEditorComponent::Export(mappings(), blocker.getChildFile("k.xml"), 60));
    EXPECT_EQ(juce::String("old"), blocker.loadFileAsString());

    // A name that the core would read as another file is refused rather than mis-written.
    auto const spaced = file("trailing.xml ");
    EXPECT_FALSE(widgets::KeyMappingEditorComponent::Export(mappings(), spaced, 60));
    EXPECT_FALSE(file("trailing.xml").exists());

    // An existing file is replaced whole.
    auto const existing = file("existing.xml");
    ASSERT_TRUE(existing.replaceWithText(juce::String::repeatedString("x", 100000)));
    ASSERT_TRUE(widgets::KeyMappingEditorComponent::Export(mappings(), existing, 60));
    EXPECT_FALSE(existing.loadFileAsString().contains("xx"));
    EXPECT_TRUE(existing.loadFileAsString().contains("KEYMAPPINGS"));
    EXPECT_EQ(
        3, folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles));
}

TEST_F(KeyMapping, WindowOwnsItsPanelAndStartsHidden)
{
    auto window = std::make_unique<qgui::KeyMappingEditorWindow>();
    auto* panel = window->GetEditor();
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(panel, window->getContentComponent());
    EXPECT_EQ(juce::String("key mapping window"), window->getName());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->isOnDesktop()) << "until it is opened";
    EXPECT_EQ(500, panel->getWidth());
    EXPECT_EQ(900, panel->getHeight());
    EXPECT_EQ(&mappings(), &panel->GetEditor().getMappings());

    // No dialog can be shown without a display.
    if (!qgui::Runtime::HasDisplay())
    {
        EXPECT_FALSE(panel->SaveAs());
        EXPECT_FALSE(panel->LoadFromFile());
    }
    window.reset(); // the panel goes once, with its window
}
