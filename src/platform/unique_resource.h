// A move-only owner of one handle: closes it exactly once, never copies it. The closer says which
// value means "none" (a static Invalid(), else the value-initialised T), so an empty owner is just
// one that holds that value.
#pragma once

#include <concepts>
#include <utility>

namespace brellix::platform {

template <class Close, class T>
concept DeclaresInvalid = requires {
    { Close::Invalid() } -> std::convertible_to<T>;
};

template <class T, class Close>
class unique_resource {
public:
    static constexpr T Invalid() {
        if constexpr (DeclaresInvalid<Close, T>) {
            return Close::Invalid();
        } else {
            return T{};
        }
    }

    unique_resource() = default;
    unique_resource(T value, Close close) : value_(value), close_(std::move(close)) {}
    explicit unique_resource(T value) requires std::is_default_constructible_v<Close> : value_(value) {}
    unique_resource(const unique_resource&) = delete;
    unique_resource& operator=(const unique_resource&) = delete;
    unique_resource(unique_resource&& other) noexcept
        : value_(std::exchange(other.value_, Invalid())), close_(std::move(other.close_)) {}
    unique_resource& operator=(unique_resource&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = std::exchange(other.value_, Invalid());
            close_ = std::move(other.close_);
        }
        return *this;
    }
    ~unique_resource() { reset(); }

    const T& get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Invalid(); }
    T release() noexcept { return std::exchange(value_, Invalid()); }
    void reset(T value = Invalid()) noexcept {
        const T old = std::exchange(value_, value);
        if (old != Invalid()) close_(old);
    }

private:
    T value_ = Invalid();
    Close close_{};
};

}  // namespace brellix::platform
