// The program's trace facility. It is told every step of the file work and
// records nothing: no file is created, opened or written.
#pragma once
#include <string>

class TraceLog {
 public:
  explicit TraceLog(std::string fileName = std::string()) : fileName(std::move(fileName)) {}
  virtual ~TraceLog() = default;

  void Open(std::string name);
  // An announcement that a later WriteLine completes.
  bool WriteText(std::string text);
  // An outcome or a line of its own.
  bool WriteLine(std::string text);

 private:
  const std::string fileName;
  const bool open = false;
};

// The process's trace log; start-up opens it, every step of the file work reports to it.
TraceLog& Trace();
