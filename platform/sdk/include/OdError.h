// OdError: the exception the SDK throws, carrying an OdResult and a one-line description.
#pragma once
/// @file
/// The exception the SDK throws.

#include <exception>
#include <string>

#include "OdExport.h"
#include "OdResult.h"
#include "OdString.h"

class ODSDK_API OdError : public std::exception {
 public:
  explicit OdError(OdResult code);
  OdError(OdResult code, const OdString& description);
  ~OdError() override;

  /// code: the result code this error carries.
  OdResult code() const noexcept { return m_code; }
  /// description: what failed, in one line (a default text for the code when none was given).
  OdString description() const { return m_description; }
  const char* what() const noexcept override { return m_what.c_str(); }

  /// codeText: the default text of a result code ("not open for read", ...).
  static OdString codeText(OdResult code);

 private:
  OdResult m_code;
  OdString m_description;
  std::string m_what;
};

/// Thrown when a pointer to an object is made for a class the object is not of.
class ODSDK_API OdError_NotThatKindOfClass : public OdError {
 public:
  OdError_NotThatKindOfClass();
  OdError_NotThatKindOfClass(const OdString& actualClass, const OdString& wantedClass);
  ~OdError_NotThatKindOfClass() override;
};
