#include "runtime/convert.h"

namespace rt {

void throwTypeMismatch(const char* expected, const Value& got) {
    throw Exception(std::string("Expected ") + expected + ", got " + typeName(got.type()) + " " +
                    got.toString());
}

}  // namespace rt
