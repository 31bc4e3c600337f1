// The process-wide error reporter. A report writes one line to standard error;
// every kind except Warning then ends the process (exit status 1).
#pragma once

#include <stdexcept>
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
  // Called before a line is written to standard error, so that whoever left
  // a line of its own open there (a progress line) can end it first.
  using LineStarter = void (*)();

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
  void SetLineStarter(LineStarter f) { lineStarter = f; }

  // A line written to standard error ahead of a report (such as the missing
  // key before a register's "Can not find " report). In capture mode it is
  // kept in the thread's buffer instead.
  void Diagnostic(const std::string& text);

  // Capture mode, per thread: while a CaptureScope lives on a thread, a fatal
  // report made on that thread writes nothing and ends nothing; it throws a
  // CapturedReport holding its line instead. Warnings and diagnostic lines
  // are collected in the scope's buffer, in the order they were made, for the
  // owner to write out later (or drop). Workers that evaluate in parallel use
  // it, so that the main thread can have the report the serial order meets
  // first made for real.
  class CaptureScope {
   public:
    CaptureScope();
    ~CaptureScope();
    CaptureScope(const CaptureScope&) = delete;
    CaptureScope& operator=(const CaptureScope&) = delete;
    // The text collected so far; TakeText also empties the buffer.
    const std::string& Text() const { return text; }
    std::string TakeText();

   private:
    friend class Exception;
    std::string text;
    CaptureScope* outer;
  };

  // What a fatal report throws in capture mode.
  class CapturedReport : public std::runtime_error {
   public:
    explicit CapturedReport(const std::string& line) : std::runtime_error(line) {}
  };

  // Whether the calling thread is in capture mode.
  static bool IsCapturing();

 private:
  [[noreturn]] void Fatal(const std::string& line);
  // The calling thread's capture scope, or null.
  static CaptureScope*& CurrentScope();

  FatalHandler fatalHandler = nullptr;
  Flusher flusher = nullptr;
  LineStarter lineStarter = nullptr;
};

Exception* GetException();

// Plain class name of a type as reported in messages: no namespaces, no
// template arguments ("IntArray", never "Array<int>" or a mangled name).
std::string PlainClassName(const std::type_info& type);

template <class T>
std::string ClassNameOf(const T& object) {
  return PlainClassName(typeid(object));
}
