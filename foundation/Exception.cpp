#include "foundation/Exception.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>

namespace {
// An allocation that fails (an evolved tree grown beyond all memory, say) is
// reported like every other error instead of aborting the process.
void ReportOutOfMemory() {
  std::set_new_handler(nullptr);
  GetException()->FatalError("Out of memory", "Exception", "New");
}

const bool outOfMemoryReported = (std::set_new_handler(&ReportOutOfMemory), true);
}  // namespace

Exception* GetException() {
  static Exception reporter;  // thread-safe first use
  return &reporter;
}

std::string PlainClassName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : type.name();
  // Drop template arguments.
  std::string::size_type lt = name.find('<');
  if (lt != std::string::npos) name.erase(lt);
  // Drop namespace qualifiers.
  std::string::size_type colons = name.rfind("::");
  if (colons != std::string::npos) name.erase(0, colons + 2);
  return name;
}

Exception::CaptureScope*& Exception::CurrentScope() {
  thread_local CaptureScope* scope = nullptr;
  return scope;
}

bool Exception::IsCapturing() { return CurrentScope() != nullptr; }

Exception::CaptureScope::CaptureScope() : outer(CurrentScope()) { CurrentScope() = this; }

Exception::CaptureScope::~CaptureScope() { CurrentScope() = outer; }

std::string Exception::CaptureScope::TakeText() {
  std::string taken;
  taken.swap(text);
  return taken;
}

void Exception::Diagnostic(const std::string& text) {
  if (CaptureScope* scope = CurrentScope()) {
    scope->text += text;
    return;
  }
  if (lineStarter != nullptr) lineStarter();
  std::cerr << text;
  std::cerr.flush();
}

void Exception::Fatal(const std::string& line) {
  if (CurrentScope() != nullptr) throw CapturedReport(line);
  if (lineStarter != nullptr) lineStarter();
  std::cerr << line << '\n';
  std::cerr.flush();
  if (fatalHandler != nullptr) fatalHandler(line);
  if (flusher != nullptr) flusher();
  std::cout.flush();
  std::clog.flush();
  std::fflush(nullptr);
  // Other threads may still run; ending without static destruction keeps the
  // exit clean whichever thread reports.
  std::_Exit(1);
}

void Exception::CastError(const std::string& from, const std::string& to, const std::string& cls,
                          const std::string& method) {
  Fatal("Cast from " + from + " to " + to + " failed at " + cls + "::" + method);
}

void Exception::FatalError(const std::string& message, const std::string& cls,
                           const std::string& method) {
  Fatal("Fatal error: " + message + " at " + cls + "::" + method);
}

void Exception::ArrayIndexError(int index, int size, const std::string& cls,
                                const std::string& method) {
  Fatal("Array index " + std::to_string(index) + " is over size " + std::to_string(size) + " at " +
        cls + "::" + method);
}

void Exception::CapacityError(int capacity, const std::string& cls, const std::string& method) {
  Fatal("Capacity " + std::to_string(capacity) + " is full " + " at " + cls + "::" + method);
}

void Exception::TooMuchCallError(int counter, int limit, const std::string& cls,
                                 const std::string& method) {
  Fatal("Too much call: counter " + std::to_string(counter) + " is over " + std::to_string(limit) +
        " at " + cls + "::" + method);
}

void Exception::Warning(const std::string& message, const std::string& cls,
                        const std::string& method) {
  Diagnostic("Warning: " + message + " at " + cls + "::" + method + "\n");
}

void Exception::LispInterpretationError(const std::string& message, const std::string& cls,
                                        const std::string& method) {
  Fatal("Lisp interpretation error: " + message + " at " + cls + "::" + method);
}
