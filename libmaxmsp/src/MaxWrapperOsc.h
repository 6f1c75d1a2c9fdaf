#pragma once

// Host messages to OSC messages and OSC results to outlet output.

#include "MaxAtoms.h"
#include "maxhost_api.h"
#include "osc/QevOscBundle.h"
#include "osc/QevOscMessage.h"

#include <mutex>

namespace maxmsp
{

// The process-wide recursive lock held while an OSC address coming from the host is parsed.
std::recursive_mutex& getGlobalCriticalSection();

// The message whose address is the selector's name and whose arguments are the atoms. Throws
// qev::Exception for a selector that does not start with "/", a malformed address, or an atom
// with no OSC equivalent.
qev::OscMessage Atoms2OscMessage(object* owner, symbol* selector, long argc, atom* argv);
qev::OscMessage Atoms2OscMessage(object* owner, symbol* selector, AtomArrayRef const& atoms);

// Appends one argument per atom: a long as 'h', a float as 'f' (narrowed), a symbol or object as
// 's'. Throws for ";", ",", "$1", "$1x" and unknown atoms.
void AddAtoms(object* owner, qev::OscMessage& message, AtomArrayRef const& atoms);

// Sends the message out of the outlet, selector the address. Booleans leave as 0/1, strings with
// backslashes turned into "/"; an argument of any other type is left out with a console line.
void OutletOsc(void* outlet, qev::OscMessage const& message);

// A one-message bundle leaves as that message. With walk, every element leaves on its own;
// otherwise the bundle leaves as "FullPacket" with the size and address of its binary form,
// valid only during the outlet call.
void OutletFullPacket(void* outlet, qev::OscBundle const& bundle, bool walk);

} // namespace maxmsp
