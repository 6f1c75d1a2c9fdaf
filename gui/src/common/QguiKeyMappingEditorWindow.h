#pragma once

#include "QguiDocumentWindow.h"
#include "WidgetsKeyMappingEditorComponent.h"

#include <memory>

namespace qgui
{

// The window in which the user edits the shortcuts of the window commands. It edits the shared
// command manager's set, so every such window shows the same shortcuts and a change applies to
// every window of the process. Created hidden, 500 x 900. Message thread only.
class KeyMappingEditorWindow : public DocumentWindow
{
public:
    KeyMappingEditorWindow();
    ~KeyMappingEditorWindow() override;

    widgets::KeyMappingEditorComponent* GetEditor() const noexcept { return editor.get(); }

private:
    // Also the window's owned content; deleted here first, so the window finds its content gone.
    std::unique_ptr<widgets::KeyMappingEditorComponent> editor;

    JUCE_DECLARE_NON_COPYABLE(KeyMappingEditorWindow)
};

} // namespace qgui
