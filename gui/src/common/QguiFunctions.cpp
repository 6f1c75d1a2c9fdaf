#include "QguiFunctions.h"

#include "QguiRuntime.h"
#include "QguiStrings.h"
#include "utils/QevSystemClipboard.h"

#include <atomic>
#include <memory>

namespace qgui
{
namespace
{

// The manager's constructor and destructor use the Desktop, so it must go before the Desktop does
// at the framework's shutdown: a holder registered after the Desktop is deleted before it. A
// static holder would outlive the framework and bring a Desktop back to life at exit.
class CommandManagerHolder : private juce::DeletedAtShutdown
{
public:
    CommandManagerHolder() = default;
    ~CommandManagerHolder() override
    {
        if (current == this)
            current = nullptr;
    }

    juce::SharedResourcePointer<juce::ApplicationCommandManager> manager;
    static CommandManagerHolder* current;
};

CommandManagerHolder* CommandManagerHolder::current = nullptr;

// The framework's clipboard may only be used on the message thread. From another thread a copy is
// posted there, and reading gives what this process copied last.
class JuceClipboardBackend final : public qev::SystemClipboard::Backend
{
public:
    // qev::SystemClipboard serialises these calls.
    void CopyText(qev::String const& text) override
    {
        lastCopied = text;
        hasCopied = true;
        auto const thisCopy = ++generation;
        if (juce::MessageManager::existsAndIsCurrentThread())
        {
            juce::SystemClipboard::copyTextToClipboard(ToJuceString(text));
            return;
        }
        // A later copy made meanwhile wins, whichever thread made it.
        juce::MessageManager::callAsync(
            [this, thisCopy, juceText = ToJuceString(text)]
            {
                if (generation.load() == thisCopy)
                    juce::SystemClipboard::copyTextToClipboard(juceText);
            });
    }

    qev::String GetText() override
    {
        if (juce::MessageManager::existsAndIsCurrentThread())
            return FromJuceString(juce::SystemClipboard::getTextFromClipboard());
        return lastCopied;
    }

    qev::String lastCopied;
    bool hasCopied = false;
    std::atomic<unsigned long> generation{0};
};

JuceClipboardBackend clipboardBackend;
bool clipboardBackendInstalled = false;

// The framework asks the default look-and-feel for the face of every font in the process; this is
// the framework's own default look, but for families that are not installed. Without it such a
// family gets an empty face drawn with fallback glyphs of other metrics: clipped descenders, no
// bold.
class TypefaceResolver final : public juce::LookAndFeel_V4
{
public:
    TypefaceResolver() : installed(juce::Font::findAllTypefaceNames())
    {
        if (!installed.contains(metricCompatibleFamily))
            substitute = juce::Font::getDefaultSansSerifFontName();
    }

    juce::Typeface::Ptr getTypefaceForFont(juce::Font const& font) override
    {
        auto const family = font.getTypefaceName();
        // Placeholders such as "<Sans-Serif>" are the framework's own to resolve.
        if (family.startsWithChar('<') || installed.contains(family))
            return juce::LookAndFeel_V4::getTypefaceForFont(font);
        juce::Font installedFont(font); // same height and style
        installedFont.setTypefaceName(substitute);
        return juce::LookAndFeel_V4::getTypefaceForFont(installedFont);
    }

private:
    static constexpr char const* metricCompatibleFamily = "Liberation Sans";
    juce::StringArray const installed;
    juce::String substitute{metricCompatibleFamily};
};

TypefaceResolver* typefaceResolver = nullptr;

} // namespace

juce::ApplicationCommandManager* GetApplicationCommandManager()
{
    if (CommandManagerHolder::current == nullptr)
    {
        juce::Desktop::getInstance(); // before the holder, so that the holder is deleted first
        CommandManagerHolder::current = new CommandManagerHolder();
    }
    return &CommandManagerHolder::current->manager.get();
}

void CopyTextToClipboard(qev::String const& text)
{
    // Through the core's clipboard: without a display the framework's clipboard would use a null
    // X connection; the core keeps the text in the process instead.
    qev::SystemClipboard::CopyTextToClipboard(text);
}

juce::Drawable* CreateDrawableFromSVG(qev::String const& svgText)
{
    std::unique_ptr<juce::XmlElement> const element = juce::XmlDocument::parse(ToJuceString(svgText));
    if (element == nullptr)
        return nullptr;
    return juce::Drawable::createFromSVG(*element).release();
}

juce::Font GetFont(qev::String const& typefaceName, qev::String const& style, float height)
{
    qev::String const lowerStyle = style.ToLowerCase();
    int flag = juce::Font::plain;
    if (lowerStyle.Contains(qev::String("bold")))
        flag = juce::Font::bold;
    else if (lowerStyle.Contains(qev::String("italic")))
        flag = juce::Font::italic;
    else if (lowerStyle.Contains(qev::String("underlined")))
        flag = juce::Font::underlined;
    return juce::Font(ToJuceString(typefaceName), height, flag);
}

juce::uint8 AlphaByte(float alpha) noexcept
{
    if (!(alpha > 0.0f))
        return 0;
    if (alpha >= 1.0f)
        return 0xFF;
    return static_cast<juce::uint8>(alpha * 255.996f);
}

qev::StringArray JuceStringArray2OmvarStringArray(juce::StringArray const& in)
{
    qev::StringArray out(static_cast<unsigned long>(in.size()));
    for (int i = 0; i < in.size(); ++i)
        out[static_cast<unsigned long>(i)] = FromJuceString(in[i]);
    return out;
}

void InstallSystemClipboardBackend() noexcept
{
    if (clipboardBackendInstalled)
        return;
    // Without a display the framework's clipboard has no X connection to work with.
    if (!Runtime::HasDisplay())
        return;
    qev::SystemClipboard::SetBackend(&clipboardBackend);
    clipboardBackendInstalled = true;
}

void RemoveSystemClipboardBackend() noexcept
{
    if (!clipboardBackendInstalled)
        return;
    qev::SystemClipboard::SetBackend(nullptr);
    clipboardBackendInstalled = false;
    // No backend call can run any more: what the process copied last stays readable.
    if (clipboardBackend.hasCopied)
        qev::SystemClipboard::CopyTextToClipboard(clipboardBackend.lastCopied);
}

void InstallTypefaceResolver()
{
    if (typefaceResolver != nullptr)
        return;
    typefaceResolver = new TypefaceResolver();
    juce::LookAndFeel::setDefaultLookAndFeel(typefaceResolver);
    // Faces resolved before would keep their empty stand-ins.
    juce::Typeface::clearTypefaceCache();
}

void RemoveTypefaceResolver() noexcept
{
    if (typefaceResolver == nullptr)
        return;
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
    juce::Typeface::clearTypefaceCache();
    delete typefaceResolver;
    typefaceResolver = nullptr;
}

bool ShortCuts::CorrespondsTo(juce::KeyPress const& keyPress, Type const& type)
{
    enum Match
    {
        exact,  // modifiers equal, key codes equal (letters of either case)
        byCode, // key code only, with none of Shift, Ctrl, Alt or Cmd held
    };
    struct Press
    {
        int keyCode;
        int modifiers;
        Match match;
    };
    constexpr int none = juce::ModifierKeys::noModifiers;
    constexpr int ctrl = juce::ModifierKeys::ctrlModifier;
    constexpr int cmd = juce::ModifierKeys::commandModifier;
    constexpr int shift = juce::ModifierKeys::shiftModifier;
    static Press const closeWindow[] = {{'w', ctrl, exact}, {'w', cmd, exact}};
    static Press const find[] = {{'f', ctrl, exact}, {'f', cmd, exact}};
    static Press const zoomIn[] = {
        {juce::KeyPress::numberPadAdd, ctrl, exact}, {'+', ctrl, exact}, {',', ctrl, exact}};
    static Press const zoomOut[] = {{juce::KeyPress::numberPadSubtract, ctrl, exact}, {'-', ctrl, exact}};
    static Press const increment[] = {
        {juce::KeyPress::numberPadAdd, none, byCode}, {'+', none, exact}, {'+', shift, exact}};
    static Press const decrement[] = {{juce::KeyPress::numberPadSubtract, none, byCode}, {'-', none, exact}};
    static Press const resetValue[] = {{juce::KeyPress::numberPadEquals, none, byCode}, {'=', none, exact}};
    static Press const keyA[] = {{'a', none, exact}};
    static Press const keyS[] = {{'s', none, exact}};
    static Press const keyL[] = {{'l', none, exact}};
    static Press const keyV[] = {{'v', none, exact}};
    static Press const selectAll[] = {{'a', ctrl, exact}, {'a', cmd, exact}};
    static Press const keyC[] = {{'c', none, exact}};
    static Press const keyM[] = {{'m', none, exact}};
    static Press const keyG[] = {{'g', none, exact}};
    static Press const copy[] = {{'c', ctrl, exact}, {'c', cmd, exact}};
    static Press const paste[] = {{'v', ctrl, exact}, {'v', cmd, exact}};

    struct Row
    {
        Press const* presses;
        int count;
    };
#define QGUI_SHORTCUT_ROW(presses)                                                                           \
    {                                                                                                        \
        presses, static_cast<int>(sizeof(presses) / sizeof(presses[0]))                                      \
    }
    static Row const table[numTypes] = {
        QGUI_SHORTCUT_ROW(closeWindow), QGUI_SHORTCUT_ROW(find),      QGUI_SHORTCUT_ROW(zoomIn),
        QGUI_SHORTCUT_ROW(zoomOut),     QGUI_SHORTCUT_ROW(increment), QGUI_SHORTCUT_ROW(decrement),
        QGUI_SHORTCUT_ROW(resetValue),  QGUI_SHORTCUT_ROW(keyA),      QGUI_SHORTCUT_ROW(keyS),
        QGUI_SHORTCUT_ROW(keyL),        QGUI_SHORTCUT_ROW(keyV),      QGUI_SHORTCUT_ROW(selectAll),
        QGUI_SHORTCUT_ROW(keyC),        QGUI_SHORTCUT_ROW(keyM),      QGUI_SHORTCUT_ROW(keyG),
        QGUI_SHORTCUT_ROW(copy),        QGUI_SHORTCUT_ROW(paste)};
#undef QGUI_SHORTCUT_ROW

    if (static_cast<std::uint32_t>(type) >= numTypes)
        return false;
    Row const& row = table[static_cast<std::uint32_t>(type)];
    for (int i = 0; i < row.count; ++i)
    {
        Press const& press = row.presses[i];
        if (press.match == byCode)
        {
            if (keyPress.getKeyCode() == press.keyCode && !keyPress.getModifiers().isAnyModifierKeyDown())
                return true;
        }
        else if (keyPress == juce::KeyPress(press.keyCode, juce::ModifierKeys(press.modifiers), 0))
            return true;
    }
    return false;
}

} // namespace qgui
