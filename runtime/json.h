#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace rt {

// Text that is not one JSON value, or a value that cannot be written as JSON.
class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Json {
public:
    // One JSON value, with nothing but whitespace around it. Objects become records whose fields
    // keep the order of the text; integer literals within 32 bits become Int, every other number
    // Float.
    static Value parse(std::string_view text);

    // Compact JSON. Records and objects write their fields in order (an object's instance fields
    // in declaration order); fields holding functions are left out, as a function inside an array
    // is written as null. Bytes are written as their text, enum values as their index, a Float
    // that is not finite and anything else (classes, abstracts) as null. A value that contains
    // itself raises JsonError.
    static std::string stringify(const Value& value);
};

}  // namespace rt
