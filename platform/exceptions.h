#pragma once
// Framework exceptions. A handler that lets one escape is ended, and the framework
// shows its description in the error box (stop icon, application title).

#include <stdexcept>
#include <string>

class CException : public std::runtime_error {
 public:
  explicit CException(const std::string& description) : std::runtime_error(description) {}
  std::string Description() const { return what(); }
};

// A property access or method call that the hosted control refused.
class COleDispatchException : public CException {
 public:
  explicit COleDispatchException(const std::string& description) : CException(description) {}
};

// An argument the framework cannot accept (for example a date-time it cannot represent).
class CInvalidArgException : public CException {
 public:
  explicit CInvalidArgException(const std::string& description) : CException(description) {}
};

// A failed file operation.
class CFileException : public CException {
 public:
  enum Cause { none, genericException, fileNotFound, badPath, accessDenied, sharingViolation, diskFull };
  CFileException(Cause cause, const std::string& fileName, const std::string& description,
                 const std::string& why = {})
      : CException(description), m_cause(cause), m_strFileName(fileName), m_why(why) {}
  Cause m_cause;
  std::string m_strFileName;
  std::string m_why;  // the cause in words, such as "the disk is full"
  long m_lOsError = 0;  // the system's error number, where one was given
};
