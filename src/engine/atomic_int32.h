#pragma once

#include <atomic>
#include <cstdint>

namespace glimtap {

// An int32 that the user interface may write while the search worker reads it.
// Relaxed ordering: each field is an independent value, read whole.
class AtomicInt32 {
public:
    constexpr AtomicInt32(int32_t value = 0) noexcept : value_(value) {}
    AtomicInt32(const AtomicInt32& other) noexcept : value_(other.load()) {}
    AtomicInt32& operator=(const AtomicInt32& other) noexcept { return *this = other.load(); }
    AtomicInt32& operator=(int32_t value) noexcept {
        value_.store(value, std::memory_order_relaxed);
        return *this;
    }
    operator int32_t() const noexcept { return load(); }
    int32_t load() const noexcept { return value_.load(std::memory_order_relaxed); }

private:
    std::atomic<int32_t> value_;
};

}  // namespace glimtap
