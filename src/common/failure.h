#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tramlet {

// What went wrong, in one shape for every layer: the kind, from the failing
// layer's own list; the errno behind it, 0 where the kind says it all; and a
// text for the user.
template <typename Kind>
struct Failure {
    Kind kind{};
    int error = 0;
    std::string text;
};

// The failure side of an Expected, as std::unexpected marks it.
template <typename E>
struct Unexpected {
    E failure;
};
template <typename E>
Unexpected(E) -> Unexpected<E>;

// A value, or the failure that kept it from being made: std::expected's
// shape, until the compiler has it.
template <typename T, typename E>
class Expected {
  public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Expected(Unexpected<E> failed) : state_(std::in_place_index<1>, std::move(failed.failure)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }
    const T& value() const { return std::get<0>(state_); }
    T& value() { return std::get<0>(state_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    const E& error() const { return std::get<1>(state_); }
    T value_or(T other) const { return has_value() ? value() : std::move(other); }

  private:
    std::variant<T, E> state_;
};

}  // namespace tramlet
