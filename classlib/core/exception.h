// The exception tree. Every failure the program raises derives from Exception.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
  const std::string& Message() const { return FMessage; }
  void SetMessage(std::string Value) { FMessage = std::move(Value); }
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  std::string FMessage;
};

#define ZX_EXCEPTION(Name, Base) \
  class Name : public Base {     \
  public:                        \
    using Base::Base;            \
  }

// A silent abort: handlers stop the operation without showing anything.
ZX_EXCEPTION(EAbort, Exception);
ZX_EXCEPTION(EConvertError, Exception);
ZX_EXCEPTION(EListError, Exception);
ZX_EXCEPTION(EStringListError, Exception);
ZX_EXCEPTION(EStreamError, Exception);
ZX_EXCEPTION(EFCreateError, EStreamError);
ZX_EXCEPTION(EFOpenError, EStreamError);
ZX_EXCEPTION(EReadError, EStreamError);
ZX_EXCEPTION(EWriteError, EStreamError);
ZX_EXCEPTION(EPropertyError, Exception);
ZX_EXCEPTION(EClassNotFound, Exception);
ZX_EXCEPTION(EComponentError, Exception);
ZX_EXCEPTION(EIniFileException, Exception);
ZX_EXCEPTION(EInvalidOperation, Exception);
ZX_EXCEPTION(EOutOfResources, Exception);

class EInOutError : public Exception {
public:
  EInOutError(std::string Message, int Code) : Exception(std::move(Message)), ErrorCode(Code) {}
  int ErrorCode;
};

// An operating-system failure: the system's message text and its error code.
class EOSError : public Exception {
public:
  EOSError(std::string Message, unsigned Code) : Exception(std::move(Message)), ErrorCode(Code) {}
  unsigned ErrorCode;
};

[[noreturn]] void Abort();
