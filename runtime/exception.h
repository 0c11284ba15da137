#pragma once

#include <exception>
#include <string>

#include "runtime/value.h"

namespace rt {

// The runtime's exception: it carries a value, usually a message text.
class Exception : public std::exception {
public:
    explicit Exception(Value value) : value_(std::move(value)), text_(value_.toString()) {}
    explicit Exception(const char* message) : Exception(Value(message)) {}
    explicit Exception(const std::string& message) : Exception(Value(message)) {}

    const Value& value() const noexcept { return value_; }
    const char* what() const noexcept override { return text_.c_str(); }

private:
    Value value_;
    std::string text_;
};

}  // namespace rt
