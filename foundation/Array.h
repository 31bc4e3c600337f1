// Fixed-capacity arrays with checked access. They never grow: an index outside
// 0 .. size-1 or an Add on a full array is reported and ends the process.
#pragma once

#include <memory>

#include "foundation/Exception.h"

// Out-of-line report paths keep the checked accessors small enough to inline.
[[noreturn]] void ReportArrayIndex(int index, int size, const std::string& cls,
                                   const char* method);
[[noreturn]] void ReportArrayCapacity(int capacity, const std::string& cls, const char* method);

template <class T>
class Array {
 public:
  explicit Array(int capacity)
      : data(new T[capacity > 0 ? capacity : 0]()), size(0), capacity(capacity > 0 ? capacity : 0) {}
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;
  virtual ~Array() = default;

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
