// The process-wide error reporter. A report writes one line to standard error;
// every kind except Warning then ends the process (exit status 1).
#pragma once

#include <string>
#include <typeinfo>

class Exception {
 public:
  // Called after a fatal line has been written and flushed. A test or fuzz
  // harness installs one to observe reports without the process ending; the
  // handler must not return (it throws or jumps). If it does return, the
  // process ends as usual.
  using FatalHandler = void (*)(const std::string& line);
  // Flushes open log files before a fatal report ends the process.
  using Flusher = void (*)();

  [[noreturn]] void CastError(const std::string& from, const std::string& to, const std::string& cls,
                 const std::string& method);
  [[noreturn]] void FatalError(const std::string& message, const std::string& cls, const std::string& method);
  [[noreturn]] void ArrayIndexError(int index, int size, const std::string& cls, const std::string& method);
  [[noreturn]] void CapacityError(int capacity, const std::string& cls, const std::string& method);
  [[noreturn]] void TooMuchCallError(int counter, int limit, const std::string& cls, const std::string& method);
  void Warning(const std::string& message, const std::string& cls, const std::string& method);
  [[noreturn]] void LispInterpretationError(const std::string& message, const std::string& cls,
                               const std::string& method);

  void SetFatalHandler(FatalHandler handler) { fatalHandler = handler; }
  void SetFlusher(Flusher f) { flusher = f; }

 private:
  [[noreturn]] void Fatal(const std::string& line);

  FatalHandler fatalHandler = nullptr;
  Flusher flusher = nullptr;
};

Exception* GetException();

// Plain class name of a type as reported in messages: no namespaces, no
// template arguments ("IntArray", never "Array<int>" or a mangled name).
std::string PlainClassName(const std::type_info& type);

template <class T>
std::string ClassNameOf(const T& object) {
  return PlainClassName(typeid(object));
}
