// Fixed-capacity arrays with checked access. They never grow: an index outside
// 0 .. size-1 or an Add on a full array is reported and ends the process.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

#include "foundation/Exception.h"

// Out-of-line report paths keep the checked accessors small enough to inline.
[[noreturn]] void ReportArrayIndex(int index, int size, const std::string& cls,
                                   const char* method);
[[noreturn]] void ReportArrayCapacity(int capacity, const std::string& cls, const char* method);

// Asks for an array whose memory the system gives as it is first written.
struct ArrayOnDemand {};
// bytes of zeros straight from the system, each page taken only when first
// written; null where that is not to be had (then the caller zeroes memory
// of its own). Given back with ReleasePagesOnDemand.
void* PagesOnDemand(std::size_t bytes);
void ReleasePagesOnDemand(void* pages, std::size_t bytes);

template <class T>
class Array {
 public:
  explicit Array(int capacity)
      : data(new T[capacity > 0 ? capacity : 0]()), size(0), capacity(capacity > 0 ? capacity : 0) {}
  // The same array, for one of which usually only the first elements are
  // used (an interpreter's value stacks): its elements read as zero all the
  // same, but its memory is not written to (nor taken) until they are.
  Array(int capacity, ArrayOnDemand) : size(0), capacity(capacity > 0 ? capacity : 0) {
    std::size_t bytes = static_cast<std::size_t>(this->capacity) * sizeof(T);
    void* pages = std::is_trivial_v<T> ? PagesOnDemand(bytes) : nullptr;
    if (pages != nullptr) {
      data.reset(static_cast<T*>(pages));
      mappedBytes = bytes;
    } else {
      data.reset(new T[this->capacity]());
    }
  }
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;
  virtual ~Array() {
    if (mappedBytes != 0) ReleasePagesOnDemand(data.release(), mappedBytes);
  }

  T Get(int index) const {
    if (index < 0 || index >= size) ReportArrayIndex(index, size, ClassNameOf(*this), "Get");
    return data[index];
  }
  void Set(int index, T value) {
    if (index < 0 || index >= size) ReportArrayIndex(index, size, ClassNameOf(*this), "Set");
    data[index] = value;
  }
  void Add(T value) {
    if (size >= capacity) ReportArrayCapacity(capacity, ClassNameOf(*this), "Add");
    data[size++] = value;
  }
  void Push(T value) { Add(value); }
  T Pop() {
    T value = Get(size - 1);
    --size;
    return value;
  }
  T Top() const { return Get(size - 1); }
  void Clear() { size = 0; }
  void Fill(T value) {
    for (int i = 0; i < capacity; ++i) data[i] = value;
    size = capacity;
  }
  int Size() const { return size; }
  int Capacity() const { return capacity; }
  // Sets the number of elements in use, for hot loops that push and pop
  // through Data() themselves and have checked the capacity beforehand. The
  // entries keep their values; a size outside 0 .. capacity is reported.
  void SetSize(int newSize) {
    if (newSize < 0 || newSize > capacity) ReportArrayIndex(newSize, capacity, ClassNameOf(*this), "SetSize");
    size = newSize;
  }
  // Unchecked view of the elements in use, for hot loops that have checked
  // their bounds already.
  const T* Data() const { return data.get(); }
  T* Data() { return data.get(); }

 protected:
  std::unique_ptr<T[]> data;
  int size;
  int capacity;

 private:
  std::size_t mappedBytes = 0;  // data came from PagesOnDemand
};

// An array of pointers to T. It never deletes what it points to, except through
// DeleteAll in the classes that offer it.
template <class T>
class PointerArray : public Array<T*> {
 public:
  explicit PointerArray(int capacity) : Array<T*>(capacity) {}

 protected:
  // Deletes every pointed-to object in index order, then empties the array.
  void DeletePointees() {
    for (int i = 0; i < this->size; ++i) {
      delete this->data[i];
      this->data[i] = nullptr;
    }
    this->size = 0;
  }
};
