// Result codes of the drawing SDK. The numbers are stable: callers and files rely on them.
#pragma once
/// @file
/// The result codes of the drawing SDK.

enum OdResult {
  eOk = 0,
  eNotImplementedYet = 1,
  eNotApplicable = 2,
  eInvalidInput = 3,
  eOutOfMemory = 6,
  eKeyNotFound = 20,
  eDuplicateKey = 21,
  eInvalidIndex = 22,
  eNullObjectId = 23,
  eNullObjectPointer = 24,
  eWasErased = 30,
  eFileNotFound = 40,
  eFileAccessErr = 41,
  eFileWriteError = 42,
  eEndOfFile = 43,
  eNotADrawing = 44,
  eBadDrawingFile = 45,
  eUnsupportedVersion = 46,
  eFileLocked = 47,  ///< another changer holds the drawing (its change lock)
  eModuleNotFound = 50,
  eEntryPointNotFound = 51,
  eIncompatibleModule = 52,
  eNotOpenForRead = 61,
  eNotOpenForWrite = 62,
  eNotThatKindOfClass = 63,
  eWasOpenForWrite = 64,
  eWasOpenForRead = 65,
  eWasNotifying = 66,
  eAlreadyInDb = 67,
  eNotInDatabase = 68,
  eNoDatabase = 69,
  eNotRegistered = 255,
  eAlreadyRegistered = 313,
};
