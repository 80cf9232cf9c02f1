// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace pixelary {

// Base of every error the program raises itself; carries a short English message.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A reader refused its file ("BMP Header error", "TGA format not supply", ...).
class EInOutError : public Exception {
  public:
    using Exception::Exception;
};

// Bad arguments to an operation ("StretchBegin parameter invalidate").
class EIntError : public Exception {
  public:
    using Exception::Exception;
};

// Base of the stream errors.
class EStreamError : public Exception {
  public:
    using Exception::Exception;
};

// A stream delivered fewer bytes than asked for.
class EReadError : public EStreamError {
  public:
    EReadError() : EStreamError("Stream read error") {}
    using EStreamError::EStreamError;
};

// A stream accepted fewer bytes than given.
class EWriteError : public EStreamError {
  public:
    EWriteError() : EStreamError("Stream write error") {}
    using EStreamError::EStreamError;
};

// A file could not be opened for reading.
class EFOpenError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};

// A file could not be created.
class EFCreateError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};

// A stored setting could not be read or written (wrong type, no store).
class ERegistryException : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace pixelary
