#pragma once

#include "MaxAtoms.h"
#include "maxhost_api.h"
#include "text/QevString.h"
#include "text/QevStringArray.h"

namespace maxmsp
{

// The host console. The host takes at most 2047 bytes in one line, so longer error texts go out
// as several lines.
class Console
{
public:
    // Posts the text as error lines of the owner (which may be null), each ending in a blank.
    static void postError(object* owner, qev::String const& text);

    // The pieces of a text of 2000 bytes or more, each at most 2000 bytes of the text: later
    // pieces begin with " ... ", all but the last end with " ...". A cut never splits a UTF-8
    // character. A shorter text gives no pieces.
    static qev::StringArray splitInChunks(qev::String const& text);
};

// Posts text, a blank and the atoms as text (just text and a blank when there are none).
void post_error_message(object* owner, AtomArrayRef const& atoms, qev::String const& text);
void post_error_message(object* owner, unsigned long count, atom* atoms, qev::String const& text);

// The current exception's console text: a qev::Exception's own text, "out of memory : " and the
// reason for an allocation failure, "unknown exception" for anything else. Call it inside a
// catch handler.
qev::String GetCurrentExceptionText();

// Guards for the host boundary: call them inside catch (...). They post the current exception
// as an error of the object.
template <typename ObjectRecord> void PostThrownException(ObjectRecord* x)
{
    Console::postError(reinterpret_cast<object*>(x), GetCurrentExceptionText());
}

// The same, then the null result of a failed creation.
template <typename ObjectRecord> ObjectRecord* return_nullptr_if_exception(ObjectRecord* x)
{
    PostThrownException(x);
    return nullptr;
}

} // namespace maxmsp
