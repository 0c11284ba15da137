#pragma once

#include <string>

#include "platform/shared/no_copy.h"
#include "runtime/heap_object.h"

namespace rt {

// A scope for the values that cross the C value interface. Values converted for native code,
// made by it, and the texts its readers answer are kept until the innermost scope of the thread
// closes. Every call of a bound primitive opens one; a message loop opens one around each
// dispatch (see morvick_value_scope_open). With no scope open, a thread's values are kept until
// the thread ends.
class ValueScope : private morvick::NoCopy {
public:
    ValueScope();
    ~ValueScope();

    // Keeps an object alive until the innermost scope closes.
    static void keep(const HeapObject* object);
    // Stores a text until the innermost scope closes and answers its stable address.
    static const char* keepText(std::string text);
    static const char16_t* keepText(std::u16string text);
    // Number of scopes open on this thread.
    static int depth();
};

}  // namespace rt

// Hooks for a message loop that does not link the runtime: open a scope before each dispatch
// and close it after. A close with no open scope does nothing.
extern "C" void morvick_value_scope_open(void);
extern "C" void morvick_value_scope_close(void);
