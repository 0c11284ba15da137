#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace morvick {

// The reason an operation failed: a text saying what failed and with which input.
struct Failure {
    std::string what;
};

inline Failure fail(std::string what) {
    return Failure{std::move(what)};
}

// The result of an operation that can fail in an expected way: its value, or the failure.
// This is how C++ code inside a layer reports errors; status codes are kept for the C boundary.
template <class T>
class [[nodiscard]] Expected {
public:
    Expected(T value) : value_(std::move(value)) {}
    Expected(Failure failure) : error_(std::move(failure.what)) {}

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }

    // The value; asking a failed result for it is a programming error and throws.
    T& value() & {
        check();
        return *value_;
    }
    const T& value() const& {
        check();
        return *value_;
    }
    T&& value() && {
        check();
        return std::move(*value_);
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // The failure's text; empty for a result that holds a value.
    const std::string& error() const { return error_; }

private:
    void check() const {
        if (!value_) throw std::logic_error("value of a failed result: " + error_);
    }

    std::optional<T> value_;
    std::string error_;
};

// An operation that yields nothing but can fail.
template <>
class [[nodiscard]] Expected<void> {
public:
    Expected() = default;
    Expected(Failure failure) : failed_(true), error_(std::move(failure.what)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

private:
    bool failed_ = false;
    std::string error_;
};

}  // namespace morvick
