// A fixed-size hash index beside an append-only array of ids: it answers
// "is this id among entries 1..count?" without scanning the array. Slots hold
// 1-based positions into the array (0 = free), so any id value, 0 included,
// can be indexed. Only the first of duplicate ids is indexed: the answer is
// the same. Not synchronised: the owning table's lock covers it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tvn {

template <typename Id, std::size_t Capacity>
class IdIndex {
  static constexpr std::size_t kSlots = Capacity * 2;  // load factor at most 1/2
  static_assert((kSlots & (kSlots - 1)) == 0, "slot count must be a power of two");

 public:
  // entries[position - 1] is the id stored at that 1-based position.
  // Returns the first position holding id, or 0.
  uint32_t Find(Id id, const Id* entries) const {
    for (std::size_t slot = Home(id);; slot = (slot + 1) & (kSlots - 1)) {
      const uint32_t position = slots_[slot];
      if (position == 0 || entries[position - 1] == id) return position;
    }
  }
  bool Contains(Id id, const Id* entries) const { return Find(id, entries) != 0; }

  void Insert(Id id, uint32_t position, const Id* entries) {
    for (std::size_t slot = Home(id);; slot = (slot + 1) & (kSlots - 1)) {
      const uint32_t held = slots_[slot];
      if (held == 0) {
        slots_[slot] = position;
        return;
      }
      if (entries[held - 1] == id) return;
    }
  }

  void Clear() { slots_.fill(0); }

 private:
  static std::size_t Home(Id id) {
    uint64_t x = static_cast<uint64_t>(id) + 0x9E3779B97F4A7C15ull;  // splitmix64 finaliser
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::size_t>(x ^ (x >> 31)) & (kSlots - 1);
  }

  std::array<uint32_t, kSlots> slots_{};
};

}  // namespace tvn
