#pragma once

// The host's programming interface as the bundle sees it: the one header through which the wrapper
// and the object reach the host. On the target platform this file is replaced by the host's own.
//
// Function-pointer signatures the host uses when it calls back (the object's record pointer in
// place of object* is fine):
//   creator        void* (symbol* className, short argc, atom* argv)
//   destructor     void  (object* x)
//   A_GIMME method void  (object* x, symbol* selector, long argc, atom* argv)
//   method, no arg void  (object* x)
//   "assist"       void  (object* x, void* box, long io, long index, char* text)  io 1 inlet, 2 outlet
//   "dblclick"     void  (object* x)
//   qelem task     void  (object* x)
//   deferred call  void  (object* x, symbol* selector, long argc, atom* argv)
//   attr getter    max_err (object* x, object* attr, long* argc, atom** argv)
//   attr setter    max_err (object* x, object* attr, long argc, atom* argv)

#ifdef __cplusplus
extern "C"
{
#endif

    typedef long long atom_long; // always 64 bits
    typedef double atom_float;
    typedef long max_err; // 0 is success

    // A generic function pointer; the host casts it back to the signature listed above.
    typedef void (*method)(void);

    enum
    {
        A_NOTHING = 0,
        A_LONG = 1,
        A_FLOAT = 2,
        A_SYM = 3,
        A_OBJ = 4,
        A_GIMME = 8,
        A_CANT = 9,
        A_SEMI = 10,
        A_COMMA = 11,
        A_DOLLAR = 12,
        A_DOLLSYM = 13
    };

    // Sizes of the text buffers the host fills: file names and whole paths, terminator included.
    enum
    {
        HOST_FILENAME_CHARS = 512,
        HOST_PATH_CHARS = 4096
    };

    // One interned text; the same text always gives the same symbol, which lives for the process.
    typedef struct symbol
    {
        char const* s_name;
    } symbol;

    // The header every object record starts with. Its content belongs to the host.
    typedef struct object
    {
        void* o_host;
    } object;

    typedef struct atom
    {
        short a_type;
        union
        {
            atom_long w_long;
            atom_float w_float;
            symbol* w_sym;
            object* w_obj;
        } a_w;
    } atom;

    typedef struct maxclass maxclass;
    typedef struct qelem qelem;
    typedef void outlet;

    // Symbols
    symbol* gensym(char const* text);
    void common_symbols_init(void);

    // Classes. The argument-type lists end with 0.
    maxclass* class_new(char const* name, method creator, method destructor, long size, method menu,
                        long type, ...);
    max_err class_addmethod(maxclass* c, method fn, char const* name, ...);
    max_err class_register(symbol* nameSpace, maxclass* c);
    max_err class_parameter_init(maxclass* c);

    // Attributes: only the type "long" (a 64-bit field at offset in the record).
    object* attr_offset_new(char const* name, symbol* type, long flags, method getter, method setter,
                            long offset);
    max_err class_addattr(maxclass* c, object* attr);
    object* class_attr_get(maxclass* c, symbol* name);
    max_err attr_addfilter_clip(object* attr, double min, double max, long useMin, long useMax);
    // Attributes of an attribute; "default" (parsed in the attribute's type) is applied to every new
    // object, clipped like any set.
    max_err class_attr_addattr_parse(maxclass* c, char const* attrName, char const* attrAttrName,
                                     symbol* type, long flags, char const* text);
    // For attributes: "gettype" returns the type symbol; "setmethod" with (symbol* "get" or "set",
    // method fn) installs an accessor, null meaning the host's own. Anything else returns null.
    void* object_method(void* x, symbol* selector, ...);

    // Objects. A new record is zero-filled and carries its attributes' defaults.
    void* object_alloc(maxclass* c);
    max_err object_obex_store(void* x, symbol* key, object* value);

    // Outlets: each new one lands left of the earlier ones. Output is delivered synchronously.
    outlet* outlet_new(void* x, char const* type);
    void* outlet_anything(outlet* o, symbol* selector, short argc, atom* argv);
    void* outlet_list(outlet* o, symbol* selector, short argc, atom* argv);

    // Main thread: a set qelem runs its task once on the main thread, however often it was set
    // before that; a deferred call runs there later with a copy of the message.
    qelem* qelem_new(void* x, method task);
    void qelem_set(qelem* q);
    void qelem_free(qelem* q);
    void defer_medium(void* x, method fn, symbol* selector, long argc, atom* argv);
    int systhread_ismainthread(void);

    // Atoms. A getter of another type converts numbers and gives the empty symbol for non-symbols.
    atom_long atom_getlong(atom const* a);
    atom_float atom_getfloat(atom const* a);
    symbol* atom_getsym(atom const* a);
    max_err atom_setlong(atom* a, atom_long value);
    max_err atom_setfloat(atom* a, atom_float value);
    max_err atom_setsym(atom* a, symbol* value);

    // Console lines, printf-formatted; the owner may be null.
    void object_post(object* x, char const* format, ...) __attribute__((format(printf, 2, 3)));
    void object_error(object* x, char const* format, ...) __attribute__((format(printf, 2, 3)));

    // File dialogs (main thread only) return 0 when a file was chosen: its name (at most
    // HOST_FILENAME_CHARS with the terminator) and the id of its folder. Types are four-character
    // codes such as 'TEXT'.
    short open_dialog(char* name, short* pathId, long* chosenType, long* types, short typeCount);
    short saveasdialog_extended(char* name, short* pathId, long* chosenType, long* types, short typeCount);
    // The absolute path of a file in a folder (at most HOST_PATH_CHARS with the terminator); 0 on success.
    short path_topathname(short pathId, char const* file, char* path);
    short path_topotentialname(short pathId, char const* file, char* path, short check);

    // (major << 8) | (minor << 4) | bug-fix.
    short maxversion(void);

#ifdef __cplusplus
}
#endif
