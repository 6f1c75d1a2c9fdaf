// trov5.cclink: maps MIDI control changes to OSC messages and back through a table of mappings
// that the user edits in a window of its own.
//
// Threads: "list", "anything", "bang" and "clear" arrive on whatever thread the host delivers them
// on, and their output leaves on that thread. The table is serialised by the editor's recursive
// lock, one per object, taken by every forwarding operation of the editor (recursive because MIDI
// learn re-enters the table from a listener). The window itself is only ever touched on the main
// thread, or while it is hidden.

#include "MaxWrapper.h"
#include "MaxWrapperOsc.h"
#include "common/QevException.h"
#include "common/QguiMaxMspWindowManager.h"
#include "common/QguiRuntime.h"
#include "common/WidgetsMidiOscMapComponent.h"
#include "files/QevFile.h"
#include "maxhost_api.h"
#include "maxhost_gui_hook.h"
#include "midi/QevMidiMessage.h"
#include "midi/QevMidiOscMap.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#define CCLINK_EXPORT __attribute__((visibility("default")))

namespace
{

class MidiOscMapListener;

} // namespace

struct trov_cclink_t
{
    object header;
    // Owned by the window.
    widgets::MidiOscMapComponent* component;
    qgui::MaxMspWindowManager* window;
    MidiOscMapListener* listener;
    atom_long overwrite;
    void* oscOutlet;
    void* midiOutlet;
    qelem* refreshQelem;
};

namespace
{

maxclass* trov_cclink_class = nullptr;

// The host keeps every callback as one generic function type and calls it back with its own.
template <typename Function> method asMethod(Function* fn) noexcept
{
    return reinterpret_cast<method>(fn);
}

constexpr long attrFlagsDefault = 0x4000000;
// Where the object's own creation failures are said to come from.
constexpr char const* sourceName = "trov5.cclink";

// Turns the table's results into outlet output, on the thread that asked the table.
class MidiOscMapListener : public qev::MidiOscMap::Listener
{
public:
    explicit MidiOscMapListener(trov_cclink_t* owner) noexcept : owner(owner) {}
    ~MidiOscMapListener() override
    {
        if (owner->component != nullptr)
            owner->component->RemoveListener(this);
    }

    MidiOscMapListener(MidiOscMapListener const&) = delete;
    MidiOscMapListener& operator=(MidiOscMapListener const&) = delete;

    // In the order of the midi outlet's lists: value, controller, channel.
    void MessageProcessed(qev::MidiMessage const& message) override
    {
        atom list[3];
        atom_setlong(&list[0], message.GetControllerValue());
        atom_setlong(&list[1], message.GetControllerNumber());
        atom_setlong(&list[2], message.GetChannel());
        outlet_list(owner->midiOutlet, nullptr, 3, list);
    }

    void MessageProcessed(qev::OscBundle const& bundle) override
    {
        maxmsp::OutletFullPacket(owner->oscOutlet, bundle, false);
    }

private:
    trov_cclink_t* const owner;
};

// Channels beyond the range of int still mean "above 16", never a wrapped-around value.
int channelFromAtom(atom const* a) noexcept
{
    atom_long const value = atom_getlong(a);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Controller numbers and values keep their low seven bits, whatever their width.
int dataByteFromAtom(atom const* a) noexcept
{
    return static_cast<int>(atom_getlong(a) & 0x7F);
}

// Keeps the editor's rows in step with the table without touching a shown window from another
// thread than the main one: there the refresh waits for the queue element. The editor rewrites
// only the rows of the entries that changed, and while it is hidden it only notes that its rows
// are behind, so that neither costs anything per mapping.
void refresh(trov_cclink_t* x)
{
    if (systhread_ismainthread() == 1 || !x->window->IsOpen())
        x->component->Refresh();
    else
        qelem_set(x->refreshQelem);
}

// Deletes whatever a creation or the destructor finds made, in the order listener, queue element,
// window; the window deletes the editor and with it the table.
void releaseParts(trov_cclink_t* x) noexcept
{
    delete x->listener;
    x->listener = nullptr;
    if (x->refreshQelem != nullptr)
        qelem_free(x->refreshQelem);
    x->refreshQelem = nullptr;
    if (x->window != nullptr)
        delete x->window;
    else
        delete x->component;
    x->window = nullptr;
    x->component = nullptr;
}

void trov_cclink_qtask(trov_cclink_t* x)
{
    try
    {
        x->component->Refresh();
    }
    catch (...)
    {
        maxmsp::PostThrownException(x);
    }
}

void* trov_cclink_new(symbol* /*name*/, short /*argc*/, atom* /*argv*/)
{
    auto* const x = static_cast<trov_cclink_t*>(maxmsp::ObjectAlloc(trov_cclink_class));
    if (x == nullptr)
        return nullptr;
    try
    {
        x->refreshQelem = qelem_new(x, asMethod(trov_cclink_qtask));
        x->component = new widgets::MidiOscMapComponent();
        try
        {
            // An allocation failure is reported as a failed creation, like a missing listener.
            x->window = new (std::nothrow) qgui::MaxMspWindowManager(x->component);
        }
        catch (...)
        {
            // A window that failed half-built may already have deleted the editor as its content:
            // forgetting it risks a leak, deleting it a double free.
            x->component = nullptr;
            throw;
        }
        if (x->window == nullptr)
            throw qev::Exception("Couldn't create object", qev::SourceLineInfo(sourceName, 367), true, false);
        x->window->SetTitle("MIDI / OSC Mapping");
        x->listener = new (std::nothrow) MidiOscMapListener(x);
        if (x->listener == nullptr)
            throw qev::Exception("Couldn't create object", qev::SourceLineInfo(sourceName, 375), true, false);
        x->component->AddListener(x->listener);
        // Right to left, so that the outlets read "osc", "midi", "dumpout" from the left.
        symbol* const dumpout = maxmsp::CommonSymbols::sym_dumpout != nullptr
                                    ? maxmsp::CommonSymbols::sym_dumpout
                                    : gensym("dumpout");
        object_obex_store(x, dumpout, static_cast<object*>(outlet_new(x, nullptr)));
        x->midiOutlet = maxmsp::outletnew(&x->header, nullptr);
        x->oscOutlet = maxmsp::outletnew(&x->header, nullptr);
        return x;
    }
    catch (...)
    {
        trov_cclink_t* const result = maxmsp::return_nullptr_if_exception(x);
        // The host takes the record back; what was made for it must not outlive it.
        releaseParts(x);
        return result;
    }
}

void trov_cclink_free(trov_cclink_t* x)
{
    releaseParts(x);
}

void trov_cclink_assist(trov_cclink_t* /*x*/, void* /*box*/, long io, long index, char* text)
{
    if (io == 1)
        std::strcpy(text, "inlet");
    else if (io == 2)
        std::strcpy(text, index == 0 ? "osc" : index == 1 ? "midi" : "dumpout");
}

void openOnMainThread(trov_cclink_t* x)
{
    if (!qgui::Runtime::HasDisplay())
    {
        object_error(&x->header, "cannot open the editor window: no display");
        return;
    }
    x->window->SetVisibleAndToFront();
}

void closeOnMainThread(trov_cclink_t* x)
{
    if (qgui::Runtime::HasDisplay())
        x->window->setVisible(false);
}

void deferredOpen(trov_cclink_t* x, symbol*, long, atom*)
{
    openOnMainThread(x);
}

void deferredClose(trov_cclink_t* x, symbol*, long, atom*)
{
    closeOnMainThread(x);
}

// The window belongs to the main thread: a request from the scheduler thread waits for it.
void trov_cclink_dblclick(trov_cclink_t* x)
{
    if (systhread_ismainthread() == 1)
        openOnMainThread(x);
    else
        defer_medium(x, asMethod(deferredOpen), nullptr, 0, nullptr);
}

void trov_cclink_wclose(trov_cclink_t* x)
{
    if (systhread_ismainthread() == 1)
        closeOnMainThread(x);
    else
        defer_medium(x, asMethod(deferredClose), nullptr, 0, nullptr);
}

void trov_cclink_clear(trov_cclink_t* x)
{
    try
    {
        x->component->Clear();
        refresh(x);
    }
    catch (...)
    {
        maxmsp::PostThrownException(x);
    }
}

void trov_cclink_bang(trov_cclink_t* x)
{
    try
    {
        x->component->ForceUpdate();
    }
    catch (...)
    {
        maxmsp::PostThrownException(x);
    }
}

void trov_cclink_anything(trov_cclink_t* x, symbol* s, long argc, atom* argv)
{
    try
    {
        qev::OscMessage const message = maxmsp::Atoms2OscMessage(&x->header, s, argc, argv);
        x->component->Process(message);
        refresh(x);
    }
    catch (...)
    {
        maxmsp::PostThrownException(x);
    }
}

void trov_cclink_list(trov_cclink_t* x, symbol* /*s*/, long argc, atom* argv)
{
    try
    {
        if (!maxmsp::AtomArrayRef(argc, argv).CheckAtomsFormat("lll", false))
            return;
        x->component->Process(qev::MidiMessage::ControllerEvent(
            channelFromAtom(&argv[2]), dataByteFromAtom(&argv[1]), dataByteFromAtom(&argv[0])));
        refresh(x);
    }
    catch (...)
    {
        maxmsp::PostThrownException(x);
    }
}

// The file named by a one-symbol message, or by the dialog when there is no argument. Empty when
// the handler has nothing to do: "none", a cancelled dialog or a message of another shape (which
// has been reported).
qev::String chooseFile(trov_cclink_t* x, long argc, atom* argv, bool forSaving, char const* invalidText)
{
    if (argc == 0)
    {
        qev::File const chosen =
            forSaving ? maxmsp::OpenSaveAsDialogForXMLFile() : maxmsp::OpenDialogForFile();
        return chosen.GetFullPathName();
    }
    maxmsp::AtomArrayRef const atoms(argc, argv);
    if (argc == 1 && atoms.CheckAtomsFormat("s", false))
    {
        qev::String const text(atom_getsym(&argv[0])->s_name);
        if (text == "none")
            return qev::String();
        return qev::File::CleanMaxMspFilename(text).GetFullPathName();
    }
    if (forSaving)
        maxmsp::post_error_message(&x->header, atoms, invalidText);
    else
        maxmsp::post_error_message(&x->header, static_cast<unsigned long>(argc), argv, invalidText);
    return qev::String();
}

void trov_cclink_export_deferred(trov_cclink_t* x, symbol* /*s*/, long argc, atom* argv)
{
    try
    {
        qev::String const path = chooseFile(x, argc, argv, true, "invalid message: export");
        if (path.IsEmpty())
            return;
        qev::Overwrite const overwrite = x->overwrite == 1 ? qev::Overwrite::Replace : qev::Overwrite::Refuse;
        bool const written = x->component->SaveAsXml(qev::File(path), overwrite);
        qev::String const quoted = path.Quoted('"');
        if (written)
            object_post(&x->header, "file %s properly written", quoted.GetCString());
        else
            maxmsp::Console::postError(&x->header, "error writing file " + quoted);
    }
    catch (...)
    {
        maxmsp::PostThrownException(x);
    }
}

void trov_cclink_load_deferred(trov_cclink_t* x, symbol* /*s*/, long argc, atom* argv)
{
    try
    {
        qev::String const path = chooseFile(x, argc, argv, false, "invalid message: load");
        if (path.IsEmpty())
            return;
        bool const loaded = x->component->LoadFromXml(qev::File(path));
        qev::String const quoted = path.Quoted('"');
        if (loaded)
            object_post(&x->header, "file %s properly loaded", quoted.GetCString());
        else
            maxmsp::Console::postError(&x->header, "error loading file " + quoted);
    }
    catch (...)
    {
        maxmsp::PostThrownException(x);
    }
}

// Dialogs and the rebuilding of the editor's rows belong to the main thread.
void trov_cclink_export(trov_cclink_t* x, symbol* s, long argc, atom* argv)
{
    defer_medium(x, asMethod(trov_cclink_export_deferred), s, argc, argv);
}

void trov_cclink_load(trov_cclink_t* x, symbol* s, long argc, atom* argv)
{
    defer_medium(x, asMethod(trov_cclink_load_deferred), s, argc, argv);
}

void addOverwriteAttribute(maxclass* c)
{
    maxmsp::ClassAttrLongOffset(c, "overwrite", maxmsp::offset_of(&trov_cclink_t::overwrite), false);
    maxmsp::ClassAttrAccessors(c, "overwrite", nullptr, nullptr);
    object* const attribute = class_attr_get(c, gensym("overwrite"));
    if (attribute == nullptr)
        return;
    attr_addfilter_clip(attribute, 0.0, 1.0, 1, 1);
    auto* const type = static_cast<symbol*>(object_method(attribute, gensym("gettype")));
    class_attr_addattr_parse(c, "overwrite", "default", type, attrFlagsDefault, "1");
}

} // namespace

// The host's GUI loop is the bundle's to drive here (see maxhost_gui_hook.h); nothing of it may
// escape into the host.
extern "C" CCLINK_EXPORT void maxhost_gui_hook(int event)
{
    try
    {
        if (event == MAXHOST_GUI_IDLE)
            qgui::Runtime::Pump();
        else if (event == MAXHOST_GUI_SHUTDOWN)
            qgui::Runtime::Shutdown();
    }
    catch (...)
    {
        object_error(nullptr, "GUI failure: %s", maxmsp::GetCurrentExceptionText().GetCString());
    }
}

extern "C" CCLINK_EXPORT int maxhost_gui_descriptors(int* fds, int capacity)
{
    try
    {
        std::vector<int> const wanted = qgui::Runtime::GetWaitDescriptors();
        std::copy_n(wanted.begin(), std::min(wanted.size(), static_cast<std::size_t>(std::max(capacity, 0))),
                    fds);
        return static_cast<int>(wanted.size());
    }
    catch (...)
    {
        object_error(nullptr, "GUI failure: %s", maxmsp::GetCurrentExceptionText().GetCString());
        return 0;
    }
}

CCLINK_EXPORT int main()
{
    char const* const className = "trov5.cclink";
    maxmsp::SetGuiStartUp(&qgui::Runtime::Initialise);
    maxmsp::InitializeEverything();

    maxclass* const c = class_new(className, asMethod(trov_cclink_new), asMethod(trov_cclink_free),
                                  static_cast<long>(sizeof(trov_cclink_t)), nullptr, A_GIMME, 0);

    maxmsp::AddAssistMethod(c, asMethod(trov_cclink_assist));
    maxmsp::AddDblClickMethod(c, asMethod(trov_cclink_dblclick));
    maxmsp::AddMethodNoArgument(c, asMethod(trov_cclink_dblclick), "open");
    maxmsp::AddMethodNoArgument(c, asMethod(trov_cclink_wclose), "wclose");
    maxmsp::AddMethodNoArgument(c, asMethod(trov_cclink_clear), "clear");
    maxmsp::AddMethodBang(c, asMethod(trov_cclink_bang));
    maxmsp::AddMethodAnything(c, asMethod(trov_cclink_anything));
    maxmsp::AddMethodGimme(c, asMethod(trov_cclink_list), "list");
    maxmsp::AddMethodGimme(c, asMethod(trov_cclink_export), "export");
    maxmsp::AddMethodGimme(c, asMethod(trov_cclink_load), "load");

    addOverwriteAttribute(c);
    maxmsp::ClassRegister(c);
    trov_cclink_class = c;
    return 0;
}
