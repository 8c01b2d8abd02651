// Outcome of a platform service: success, or failure with a reason a person can read.
// Services never throw into their callers; they hand back one of these instead.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace platform {

class Status {
public:
    static Status success() { return Status(); }
    static Status failure(std::string reason) { return Status(std::move(reason)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Empty on success.
    const std::string& reason() const { return reason_; }

private:
    Status() = default;
    explicit Status(std::string reason) : failed_(true), reason_(std::move(reason)) {}

    bool failed_ = false;
    std::string reason_;
};

template <class T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}          // NOLINT(google-explicit-constructor)
    Result(Status failure) : reason_(failure.reason()) {}  // NOLINT(google-explicit-constructor)

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *value_; }
    T& value() & { return *value_; }
    T&& value() && { return std::move(*value_); }
    const T& operator*() const& { return *value_; }
    const T* operator->() const { return &*value_; }
    T valueOr(T fallback) const { return value_ ? *value_ : std::move(fallback); }
    const std::string& reason() const { return reason_; }
    Status status() const { return ok() ? Status::success() : Status::failure(reason_); }

private:
    std::optional<T> value_;
    std::string reason_;
};

}  // namespace platform
