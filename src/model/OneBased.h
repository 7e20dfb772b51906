#pragma once

#include <array>
#include <cstddef>

namespace model {

// A fixed array indexed Lo..Hi, so code can use the numbering the musician
// sees (chord 1 to 60, slot 1 to 13, pitch class 0 to 11).
template <typename T, int Lo, int Hi> class Array {
public:
    static constexpr int Low = Lo;
    static constexpr int High = Hi;
    static constexpr std::size_t Count = Hi - Lo + 1;

    T &operator[](int i) { return items_[static_cast<std::size_t>(i - Lo)]; }
    const T &operator[](int i) const { return items_[static_cast<std::size_t>(i - Lo)]; }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    void fill(const T &v) { items_.fill(v); }
    bool operator==(const Array &) const = default;

private:
    std::array<T, Count> items_{};
};

} // namespace model
