// The shape of every test seam's guard: a value put into a slot for the guard's lifetime.
// Header only; the seams of each layer derive their guards from it.
#pragma once

#include <atomic>
#include <type_traits>
#include <utility>

namespace seams {

// What a slot holds: its own type, or the value type of an atomic slot.
template <class Slot>
struct SlotValue {
    using type = Slot;
};
template <class T>
struct SlotValue<std::atomic<T>> {
    using type = T;
};

// Puts value into slot when made and what the slot held before back when destroyed.
// Guards of one slot nest: the one made last wins, and they are destroyed in the reverse
// order of their making (as scopes are). Not copyable.
template <class Slot>
class ScopedReplace {
  public:
    using Value = typename SlotValue<Slot>::type;

    ScopedReplace(Slot& slot, Value value) : slot_(slot), saved_(swap(slot, std::move(value))) {}
    ~ScopedReplace() { slot_ = std::move(saved_); }
    ScopedReplace(const ScopedReplace&) = delete;
    ScopedReplace& operator=(const ScopedReplace&) = delete;

  private:
    static Value swap(Slot& slot, Value value) {
        if constexpr (std::is_same_v<Slot, Value>)
            return std::exchange(slot, std::move(value));
        else
            return slot.exchange(value);
    }

    Slot& slot_;
    Value saved_;
};

}  // namespace seams
