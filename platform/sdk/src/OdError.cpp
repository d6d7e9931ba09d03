// OdError: result code plus description; default texts of the result codes.
#include "OdError.h"

#include "OdDbHandle.h"

OdString OdError::codeText(OdResult code) {
  switch (code) {
    case eOk:
      return OdString(L"no error");
    case eNotImplementedYet:
      return OdString(L"not implemented yet");
    case eNotApplicable:
      return OdString(L"not applicable");
    case eInvalidInput:
      return OdString(L"invalid input");
    case eOutOfMemory:
      return OdString(L"out of memory");
    case eKeyNotFound:
      return OdString(L"key not found");
    case eDuplicateKey:
      return OdString(L"duplicate key");
    case eInvalidIndex:
      return OdString(L"invalid index");
    case eNullObjectId:
      return OdString(L"null object id");
    case eNullObjectPointer:
      return OdString(L"null object pointer");
    case eWasErased:
      return OdString(L"object was erased");
    case eFileNotFound:
      return OdString(L"file not found");
    case eFileAccessErr:
      return OdString(L"file access error");
    case eFileWriteError:
      return OdString(L"file write error");
    case eEndOfFile:
      return OdString(L"unexpected end of file");
    case eNotADrawing:
      return OdString(L"not a drawing");
    case eBadDrawingFile:
      return OdString(L"corrupt drawing");
    case eUnsupportedVersion:
      return OdString(L"unsupported version");
    case eFileLocked:
      return OdString(L"the drawing is being changed by another process");
    case eModuleNotFound:
      return OdString(L"module not found");
    case eEntryPointNotFound:
      return OdString(L"module entry point not found");
    case eIncompatibleModule:
      return OdString(L"incompatible module");
    case eNotOpenForRead:
      return OdString(L"not open for read");
    case eNotOpenForWrite:
      return OdString(L"not open for write");
    case eNotThatKindOfClass:
      return OdString(L"not that kind of class");
    case eWasOpenForWrite:
      return OdString(L"object was open for write");
    case eWasOpenForRead:
      return OdString(L"object was open for read");
    case eWasNotifying:
      return OdString(L"object was notifying");
    case eAlreadyInDb:
      return OdString(L"object already in a drawing");
    case eNotInDatabase:
      return OdString(L"object not in a drawing");
    case eNoDatabase:
      return OdString(L"no drawing");
    case eNotRegistered:
      return OdString(L"not registered");
    case eAlreadyRegistered:
      return OdString(L"already registered");
  }
  return OdString::formatted(L"error %d", static_cast<int>(code));
}

OdError::OdError(OdResult code) : OdError(code, codeText(code)) {}

OdError::OdError(OdResult code, const OdString& description)
    : m_code(code), m_description(description), m_what(description.toUtf8()) {}

OdError::~OdError() = default;

OdError_NotThatKindOfClass::OdError_NotThatKindOfClass() : OdError(eNotThatKindOfClass) {}

OdError_NotThatKindOfClass::OdError_NotThatKindOfClass(const OdString& actualClass,
                                                       const OdString& wantedClass)
    : OdError(eNotThatKindOfClass,
              OdString(L"object of class ") + actualClass + L" is not a " + wantedClass) {}

OdError_NotThatKindOfClass::~OdError_NotThatKindOfClass() = default;

OdString OdDbHandle::ascii() const {
  return OdString::formatted(L"%llX", static_cast<unsigned long long>(m_value));
}
