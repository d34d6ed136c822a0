// Walks over everything an object carries from one frame to the next, so
// that the whole state of the show can be saved and put back exactly (the
// explorer's snapshots). One visitor saves, another restores; both see the
// same members in the same order, so the order is all they share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "framework/Surface.h"

class StateVisitor {
 public:
  virtual ~StateVisitor() = default;

  // `size` bytes of plain data at `data`: read when saving, written when
  // restoring.
  virtual void Bytes(void* data, size_t size) = 0;
  // Every pixel of a surface (null: none). A restore writes them all as one
  // whole change, so that any copy made from the surface later is a full one.
  virtual void Pixels(Surface* surface) = 0;

  template <typename T>
  void Value(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    Bytes(&value, sizeof value);
  }
  template <typename T>
  void Array(T* values, size_t count) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (values != nullptr) Bytes(values, count * sizeof(T));
  }
};
