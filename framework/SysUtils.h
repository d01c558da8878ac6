// Exceptions, string, number, date and file routines of the framework.
#pragma once

#include <exception>

#include "System.h"

// The base of every exception the framework and the program raise. The
// message is 8-bit text in the system code page.
class Exception : public std::exception {
public:
  explicit Exception(AnsiString Msg) : FMessage(std::move(Msg)) {}
  ~Exception() override = default;

  const AnsiString& Message() const { return FMessage; }
  void SetMessage(const AnsiString& Value) { FMessage = Value; }
  const char* what() const noexcept override { return FMessage.c_str(); }
  // The class name of the exception as raised ("EConvertError").
  AnsiString ClassName() const;

private:
  AnsiString FMessage;
};

#define FRAMEWORK_EXCEPTION(Name, Base) \
  class Name : public Base {            \
  public:                               \
    using Base::Base;                   \
  };

FRAMEWORK_EXCEPTION(EAbort, Exception)
FRAMEWORK_EXCEPTION(EConvertError, Exception)
FRAMEWORK_EXCEPTION(EListError, Exception)
FRAMEWORK_EXCEPTION(EStringListError, Exception)
FRAMEWORK_EXCEPTION(EStreamError, Exception)
FRAMEWORK_EXCEPTION(EFCreateError, EStreamError)
FRAMEWORK_EXCEPTION(EFOpenError, EStreamError)
FRAMEWORK_EXCEPTION(EFilerError, EStreamError)
FRAMEWORK_EXCEPTION(EReadError, EFilerError)
FRAMEWORK_EXCEPTION(EWriteError, EFilerError)
FRAMEWORK_EXCEPTION(EClassNotFound, EFilerError)
FRAMEWORK_EXCEPTION(EResNotFound, Exception)
FRAMEWORK_EXCEPTION(EComponentError, Exception)
FRAMEWORK_EXCEPTION(EInvalidOperation, Exception)
FRAMEWORK_EXCEPTION(EOutOfResources, Exception)
FRAMEWORK_EXCEPTION(EInvalidGraphic, Exception)
FRAMEWORK_EXCEPTION(EInvalidGraphicOperation, Exception)
FRAMEWORK_EXCEPTION(EInvalidPointer, Exception)
FRAMEWORK_EXCEPTION(EOutOfMemory, Exception)
FRAMEWORK_EXCEPTION(EAssertionFailed, Exception)
FRAMEWORK_EXCEPTION(EIntError, Exception)
FRAMEWORK_EXCEPTION(EMathError, Exception)
FRAMEWORK_EXCEPTION(EThread, Exception)
FRAMEWORK_EXCEPTION(ERegistryException, Exception)
FRAMEWORK_EXCEPTION(EIniFileException, Exception)

// Errors of the operating system and of file input and output carry the
// system error code.
class EOSError : public Exception {
public:
  EOSError(AnsiString Msg, Cardinal Code = 0) : Exception(std::move(Msg)), ErrorCode(Code) {}
  Cardinal ErrorCode;
};

class EInOutError : public Exception {
public:
  EInOutError(AnsiString Msg, int Code = 0) : Exception(std::move(Msg)), ErrorCode(Code) {}
  int ErrorCode;
};
