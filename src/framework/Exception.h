// The general error class: every failure the program raises carries a message text.
#pragma once
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string FMessage;
};

// Memory could not be had (QuickFree RAM's block, the heap).
class EOutOfMemory : public Exception {
 public:
  EOutOfMemory() : Exception("Out of memory") {}
  const char* ClassName() const override { return "EOutOfMemory"; }
};

// Formats like printf into a std::string (for messages with %s and %d).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
