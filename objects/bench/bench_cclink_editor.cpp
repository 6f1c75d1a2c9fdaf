// The editor's own buttons on a large table, the window hidden: deleting the first row and "+",
// each from the click until the GUI's message queue is empty. The host cannot press buttons, so
// the editor panel is built here, in process, as the object builds it, and its buttons clicked
// as a user's click arrives: through the GUI's message loop. Figures only.

#include "CclinkBench.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsMidiOscMapComponent.h"
#include "files/QevFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

namespace
{

using Clock = std::chrono::steady_clock;

std::filesystem::path folder;

// Pumps the GUI as the host's loop does until a pump finds nothing to dispatch.
void drain()
{
    while (qgui::Runtime::Pump() > 0)
    {
    }
}

std::unique_ptr<widgets::MidiOscMapComponent> panelWithTable(int count)
{
    std::filesystem::path const file = folder / ("controller-space-" + std::to_string(count) + ".xml");
    cclinkbench::WriteMappings(file, count, cclinkbench::ControllerSpace);
    auto panel = std::make_unique<widgets::MidiOscMapComponent>();
    panel->LoadFromXml(qev::File(file.string()));
    drain();
    return panel;
}

std::size_t entries(widgets::MidiOscMapComponent& panel)
{
    std::lock_guard<std::recursive_mutex> const guard(panel.GetLock());
    return panel.GetControllers().GetMap().GetNumEntries();
}

void clickAndDrain(juce::Button& button)
{
    button.triggerClick();
    drain();
}

// One button timed per iteration, then the table put back to its size by the other one.
void click(benchmark::State& state, bool deleteFirst)
{
    auto const count = static_cast<std::size_t>(state.range(0));
    auto const panel = panelWithTable(static_cast<int>(count));
    auto& rows = panel->GetControllers();
    // Rows keep their place for life. Asked for once: asking for a row brings the rows of a
    // hidden editor in line with the table first, which is not part of a click.
    juce::Button& button = deleteFirst ? rows.GetRow(0).GetDeleteButton() : panel->GetAddButton();
    for (auto _ : state)
    {
        auto const start = Clock::now();
        clickAndDrain(button);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (entries(*panel) != (deleteFirst ? count - 1 : count + 1))
        {
            state.SkipWithError("the click did not change the table");
            return;
        }
        clickAndDrain(deleteFirst ? panel->GetAddButton() : rows.GetRow(count).GetDeleteButton());
    }
}
void atTableSize(benchmark::internal::Benchmark* b)
{
    b->ArgName("mappings")->Arg(2048)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);
}
BENCHMARK_CAPTURE(click, delete_first_row, true)->Apply(atTableSize);
BENCHMARK_CAPTURE(click, add_row, false)->Apply(atTableSize);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::string pattern = (std::filesystem::temp_directory_path() / "cclink-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        return 2;
    folder = pattern;
    qgui::Runtime::Initialise();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qgui::Runtime::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
