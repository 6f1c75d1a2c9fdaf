#include "common/QguiRuntime.h"

#include <gtest/gtest.h>

namespace
{

// The GUI runs for the whole test program, on the main thread, as in the host.
class GuiRuntimeEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { qgui::Runtime::Initialise(); }
    void TearDown() override { qgui::Runtime::Shutdown(); }
};

::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new GuiRuntimeEnvironment);

} // namespace
