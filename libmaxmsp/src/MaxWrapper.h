#pragma once

// The thin layer between the host's programming interface and the library: process start-up,
// the host symbols made once, class registration with a console line for every failure, and the
// file dialogs. It keeps no per-object state.

#include "MaxAtoms.h"
#include "MaxConsole.h"
#include "files/QevFile.h"
#include "maxhost_api.h"
#include "text/QevString.h"

namespace maxmsp
{

// The GUI framework's start-up, provided by whoever links a GUI into the bundle; null when there
// is none. Set it before InitializeEverything.
using GuiStartUp = void (*)();
void SetGuiStartUp(GuiStartUp startUp) noexcept;

// The process start-up, run once by the bundle's main before its class is made: the library's
// start-up, the host's common symbols, this wrapper's symbols, the GUI start-up, and inside the
// Live application the mixer-strip addresses. A failing step is posted as a console error and
// ends the sequence; nothing escapes.
void InitializeEverything();

// Host symbols made once at start-up and only read afterwards.
class CommonSymbols
{
public:
    CommonSymbols() = delete;
    static void Initialize();

    static symbol* sym_append;
    static symbol* sym_attr_modified;
    static symbol* sym_clear;
    static symbol* sym_dimension;
    static symbol* sym_done;
    static symbol* sym_dsp;
    static symbol* sym_dumpout;
    static symbol* sym_embed;
    static symbol* sym_free;
    static symbol* sym_getname;
    static symbol* sym_kemar;
    static symbol* sym_KEMAR;
    static symbol* sym_list;
    static symbol* sym_modified;
    static symbol* sym_none;
    static symbol* sym_parameter_enable;
    static symbol* sym_patcherview;
    static symbol* sym_patching_rect;
    static symbol* sym_patching_size;
    static symbol* sym_presentation_rect;
    static symbol* sym_presentation_size;
    static symbol* sym_numspeakers;
    static symbol* sym_order;
    static symbol* sym_rect;
    static symbol* sym_FullPacket;
    static symbol* sym_dsp_add64;
    static symbol* sym_state;
};

// object_alloc; a null result posts the error "couldnt allocate memory".
void* ObjectAlloc(maxclass* c);
void* outletnew(object* x, char const* type);
// Parameter set-up and registration in the "box" name space; a failure posts a console line.
void ClassRegister(maxclass* c);

// Method registration; a refusal posts "error when adding method NAME".
void AddMethodGimme(maxclass* c, method fn, char const* name);
void AddMethodAnything(maxclass* c, method fn);
void AddMethodNoArgument(maxclass* c, method fn, char const* name);
void AddMethodBang(maxclass* c, method fn);
void AddAssistMethod(maxclass* c, method fn);
void AddDblClickMethod(maxclass* c, method fn);

// A "long" attribute stored at offset in the object record; readOnly keeps users from setting
// it. A refusal posts "error when adding attribute NAME".
void ClassAttrLongOffset(maxclass* c, qev::String const& name, long long offset, bool readOnly);
// Null accessors select the host's own.
void ClassAttrAccessors(maxclass* c, qev::String const& name, method getter, method setter);

// The position of a field in an object record, measured on a zero-filled instance made on
// first use (for records that offsetof does not accept).
template <typename Field, typename ObjectRecord> struct offset_of_impl
{
    static ObjectRecord const& object()
    {
        static ObjectRecord const instance{};
        return instance;
    }
    static long long offset(Field ObjectRecord::*member)
    {
        ObjectRecord const& o = object();
        return reinterpret_cast<char const*>(&(o.*member)) - reinterpret_cast<char const*>(&o);
    }
};

template <typename Field, typename ObjectRecord> long long offset_of(Field ObjectRecord::*member)
{
    return offset_of_impl<Field, ObjectRecord>::offset(member);
}

// File dialogs, main thread only. Each gives the chosen file, or the empty file when the dialog
// was cancelled or the path could not be made.
qev::File OpenDialogForFile();
// The default name is cut to fit the host's name buffer.
qev::File openSaveAsDialogForTEXTFile(qev::String const& defaultName);
qev::File OpenSaveAsDialogForXMLFile();

} // namespace maxmsp
