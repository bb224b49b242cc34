// An array of plain values that grows as it fills, through realloc: where the C library
// moves a large block by remapping its pages (glibc does), growing costs neither a
// copy nor touching fresh memory twice. So the arrays of an index of millions of
// points grow with the points added, at about the cost of room reserved beforehand.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace qh {

template <class T>
class GrowingArray {
  static_assert(std::is_trivially_copyable_v<T>, "moved by realloc");

 public:
  GrowingArray() = default;
  ~GrowingArray() { std::free(data_); }
  GrowingArray(const GrowingArray&) = delete;
  GrowingArray& operator=(const GrowingArray&) = delete;

  void PushBack(const T& value) {
    if (size_ == capacity_) Grow(size_ + 1);
    data_[size_++] = value;
  }
  void Append(const T* values, std::size_t count) {
    if (count > capacity_ - size_) Grow(size_ + count);
    if (count > 0) std::memcpy(data_ + size_, values, count * sizeof(T));
    size_ += count;
  }
  // `count` more elements, left for the caller to fill.
  T* Extend(std::size_t count) {
    if (count > capacity_ - size_) Grow(size_ + count);
    T* const added = data_ + size_;
    size_ += count;
    return added;
  }
  void Reserve(std::size_t count) {
    if (count > capacity_) Reallocate(count);
  }
  // Empty again, its memory given back.
  void Release() {
    std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

  std::size_t Size() const { return size_; }
  T* Data() { return data_; }
  const T* Data() const { return data_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

 private:
  static constexpr std::size_t kFirstCapacity = 4096 / sizeof(T) + 1;

  void Grow(std::size_t needed) {
    Reallocate(std::max({needed, 2 * capacity_, kFirstCapacity}));
  }
  void Reallocate(std::size_t capacity) {
    if (capacity > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* moved = std::realloc(data_, capacity * sizeof(T));
    if (moved == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(moved);
    capacity_ = capacity;
  }

  T* data_ = nullptr;
  std::size_t size_ = 0, capacity_ = 0;
};

}  // namespace qh
