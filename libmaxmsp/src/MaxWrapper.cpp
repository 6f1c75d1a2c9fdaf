#include "MaxWrapper.h"

#include "common/QevApiInfos.h"
#include "utils/QevSystemInfos.h"

#include <cstring>

namespace maxmsp
{

namespace
{

// Attribute flags of the host: every attribute carries the first; the second keeps users from
// setting it.
constexpr long attrFlagsDefault = 0x4000000;
constexpr long attrFlagNotUserSettable = 0x200;
// The four-character file type 'TEXT'.
constexpr long fileTypeText = 0x54455854;

GuiStartUp guiStartUp = nullptr;

void postStartUpFailure()
{
    Console::postError(nullptr, "start-up failed: " + GetCurrentExceptionText());
}

void addMethod(maxclass* c, method fn, char const* name, int type)
{
    max_err const result =
        type != 0 ? class_addmethod(c, fn, name, type, 0) : class_addmethod(c, fn, name, 0);
    if (result != 0)
        object_post(nullptr, "error when adding method %s", name);
}

qev::File fileFromHostPath(char const* path)
{
    return qev::File(qev::File::TranslateAbsolutePathFromMaxMSP(qev::String(path)));
}

} // namespace

void SetGuiStartUp(GuiStartUp startUp) noexcept
{
    guiStartUp = startUp;
}

void InitializeEverything()
{
    try
    {
        Trov::ApiInfos::InitializeLibrary();
        common_symbols_init();
        CommonSymbols::Initialize();
        if (guiStartUp != nullptr)
            guiStartUp();
    }
    catch (...)
    {
        postStartUpFailure();
        return;
    }
    if (!qev::SystemInfos::IsRunningInsideAbletonLive())
        return;
    try
    {
        Tessaron::Strips::InitializeSymbolList();
    }
    catch (...)
    {
        postStartUpFailure();
    }
}

symbol* CommonSymbols::sym_append = nullptr;
symbol* CommonSymbols::sym_attr_modified = nullptr;
symbol* CommonSymbols::sym_clear = nullptr;
symbol* CommonSymbols::sym_dimension = nullptr;
symbol* CommonSymbols::sym_done = nullptr;
symbol* CommonSymbols::sym_dsp = nullptr;
symbol* CommonSymbols::sym_dumpout = nullptr;
symbol* CommonSymbols::sym_embed = nullptr;
symbol* CommonSymbols::sym_free = nullptr;
symbol* CommonSymbols::sym_getname = nullptr;
symbol* CommonSymbols::sym_kemar = nullptr;
symbol* CommonSymbols::sym_KEMAR = nullptr;
symbol* CommonSymbols::sym_list = nullptr;
symbol* CommonSymbols::sym_modified = nullptr;
symbol* CommonSymbols::sym_none = nullptr;
symbol* CommonSymbols::sym_parameter_enable = nullptr;
symbol* CommonSymbols::sym_patcherview = nullptr;
symbol* CommonSymbols::sym_patching_rect = nullptr;
symbol* CommonSymbols::sym_patching_size = nullptr;
symbol* CommonSymbols::sym_presentation_rect = nullptr;
symbol* CommonSymbols::sym_presentation_size = nullptr;
symbol* CommonSymbols::sym_numspeakers = nullptr;
symbol* CommonSymbols::sym_order = nullptr;
symbol* CommonSymbols::sym_rect = nullptr;
symbol* CommonSymbols::sym_FullPacket = nullptr;
symbol* CommonSymbols::sym_dsp_add64 = nullptr;
symbol* CommonSymbols::sym_state = nullptr;

void CommonSymbols::Initialize()
{
    sym_append = gensym("append");
    sym_attr_modified = gensym("attr_modified");
    sym_clear = gensym("clear");
    sym_dimension = gensym("dimension");
    sym_done = gensym("done");
    sym_dsp = gensym("dsp");
    sym_dumpout = gensym("dumpout");
    sym_embed = gensym("embed");
    sym_free = gensym("free");
    sym_getname = gensym("getname");
    sym_kemar = gensym("kemar");
    sym_KEMAR = gensym("KEMAR");
    sym_list = gensym("list");
    sym_modified = gensym("modified");
    sym_none = gensym("none");
    sym_parameter_enable = gensym("parameter_enable");
    sym_patcherview = gensym("patcherview");
    sym_patching_rect = gensym("patching_rect");
    sym_patching_size = gensym("patching_size");
    sym_presentation_rect = gensym("presentation_rect");
    sym_presentation_size = gensym("presentation_size");
    sym_numspeakers = gensym("numspeakers");
    sym_order = gensym("order");
    sym_rect = gensym("rect");
    sym_FullPacket = gensym("FullPacket");
    sym_dsp_add64 = gensym("dsp_add64");
    sym_state = gensym("state");
}

void* ObjectAlloc(maxclass* c)
{
    void* const x = object_alloc(c);
    if (x == nullptr)
        Console::postError(nullptr, "couldnt allocate memory");
    return x;
}

void* outletnew(object* x, char const* type)
{
    return outlet_new(x, type);
}

void ClassRegister(maxclass* c)
{
    class_parameter_init(c);
    if (class_register(gensym("box"), c) != 0)
        object_post(nullptr, "error in when registering class");
}

void AddMethodGimme(maxclass* c, method fn, char const* name)
{
    addMethod(c, fn, name, A_GIMME);
}

void AddMethodAnything(maxclass* c, method fn)
{
    addMethod(c, fn, "anything", A_GIMME);
}

void AddMethodNoArgument(maxclass* c, method fn, char const* name)
{
    addMethod(c, fn, name, 0);
}

void AddMethodBang(maxclass* c, method fn)
{
    addMethod(c, fn, "bang", 0);
}

void AddAssistMethod(maxclass* c, method fn)
{
    addMethod(c, fn, "assist", A_CANT);
}

void AddDblClickMethod(maxclass* c, method fn)
{
    addMethod(c, fn, "dblclick", A_CANT);
}

void ClassAttrLongOffset(maxclass* c, qev::String const& name, long long offset, bool readOnly)
{
    long const flags = attrFlagsDefault | (readOnly ? attrFlagNotUserSettable : 0);
    object* const attribute = attr_offset_new(name.GetCString(), gensym("long"), flags, nullptr, nullptr,
                                              static_cast<long>(offset));
    if (attribute == nullptr || class_addattr(c, attribute) != 0)
        object_post(nullptr, "error when adding attribute %s", name.GetCString());
}

void ClassAttrAccessors(maxclass* c, qev::String const& name, method getter, method setter)
{
    object* const attribute = class_attr_get(c, gensym(name.GetCString()));
    if (attribute == nullptr)
        return;
    object_method(attribute, gensym("setmethod"), gensym("get"), getter);
    object_method(attribute, gensym("setmethod"), gensym("set"), setter);
}

qev::File OpenDialogForFile()
{
    char name[HOST_FILENAME_CHARS] = {};
    short folder = 0;
    long type = 0;
    if (open_dialog(name, &folder, &type, nullptr, 0) != 0)
        return qev::File();
    char path[HOST_PATH_CHARS] = {};
    if (path_topathname(folder, name, path) != 0)
        return qev::File();
    return fileFromHostPath(path);
}

qev::File openSaveAsDialogForTEXTFile(qev::String const& defaultName)
{
    char name[HOST_FILENAME_CHARS] = {};
    // Cut to the buffer, never inside a UTF-8 character.
    std::size_t length = std::min<std::size_t>(defaultName.GetLength(), sizeof name - 1);
    while (length > 0 && length < defaultName.GetLength() &&
           (static_cast<unsigned char>(defaultName[length]) & 0xC0) == 0x80)
        --length;
    std::memcpy(name, defaultName.GetCString(), length);
    short folder = 0;
    long type = 0;
    long types[] = {fileTypeText};
    if (saveasdialog_extended(name, &folder, &type, types, 1) != 0)
        return qev::File();
    char path[HOST_PATH_CHARS] = {};
    if (path_topotentialname(folder, name, path, 0) != 0)
        return qev::File();
    return fileFromHostPath(path);
}

qev::File OpenSaveAsDialogForXMLFile()
{
    return openSaveAsDialogForTEXTFile("file.xml");
}

} // namespace maxmsp
