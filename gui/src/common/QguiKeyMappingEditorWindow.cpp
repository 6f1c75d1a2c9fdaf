#include "QguiKeyMappingEditorWindow.h"

#include "QguiFunctions.h"
#include "QguiRuntime.h"

namespace qgui
{

KeyMappingEditorWindow::KeyMappingEditorWindow()
    : DocumentWindow(nullptr), editor(std::make_unique<widgets::KeyMappingEditorComponent>(
                                   *GetApplicationCommandManager()->getKeyMappings()))
{
    SetTitle("key mapping window");
    setContentOwned(editor.get(), true);
    // Centring needs a display.
    if (Runtime::HasDisplay())
        centreWithSize(getWidth(), getHeight());
    // As the companion windows: on the desktop once opened.
    removeFromDesktop();
}

KeyMappingEditorWindow::~KeyMappingEditorWindow()
{
    editor.reset();
}

} // namespace qgui
