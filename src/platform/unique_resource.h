// A move-only owner of one handle: closes it exactly once, never copies it.
#pragma once

#include <utility>

namespace brellix::platform {

template <class T, class Close>
class unique_resource {
public:
    unique_resource() = default;
    unique_resource(T value, Close close) : value_(value), close_(std::move(close)), owns_(true) {}
    explicit unique_resource(T value) requires std::is_default_constructible_v<Close>
        : value_(value), owns_(true) {}
    unique_resource(const unique_resource&) = delete;
    unique_resource& operator=(const unique_resource&) = delete;
    unique_resource(unique_resource&& other) noexcept
        : value_(other.value_), close_(std::move(other.close_)), owns_(std::exchange(other.owns_, false)) {}
    unique_resource& operator=(unique_resource&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = other.value_;
            close_ = std::move(other.close_);
            owns_ = std::exchange(other.owns_, false);
        }
        return *this;
    }
    ~unique_resource() { reset(); }

    const T& get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return owns_; }

    T release() noexcept {
        owns_ = false;
        return value_;
    }
    void reset() noexcept {
        if (std::exchange(owns_, false)) close_(value_);
    }
    void reset(T value) noexcept {
        reset();
        value_ = value;
        owns_ = true;
    }

private:
    T value_{};
    Close close_{};
    bool owns_ = false;
};

}  // namespace brellix::platform
