// OdDbDwgFiler: the stream through which drawing objects write and read their data, for files
// and for undo snapshots. Readers throw OdError(eEndOfFile) when asked for more than is left.
#pragma once
/// @file
/// The stream through which drawing objects file their data.

#include <cstddef>
#include <cstdint>

#include "OdDbHandle.h"
#include "OdGe.h"
#include "OdString.h"
#include "RxObject.h"

class OdDbDatabase;

class ODSDK_API OdDbFiler : public OdRxObject {
 public:
  enum FilerType {
    kFileFiler = 0,  // a drawing file
    kCopyFiler = 1,  // copying objects in memory
    kUndoFiler = 2,  // undo snapshots
  };
  ~OdDbFiler() override;
  virtual FilerType filerType() const = 0;
  /// database: the drawing being filed, or null.
  virtual OdDbDatabase* database() const { return nullptr; }
};

class ODSDK_API OdDbDwgFiler : public OdDbFiler {
 public:
  ~OdDbDwgFiler() override;

  /// bytesLeft: how many bytes a reader can still read (for checking counts before allocating);
  /// writers answer 0.
  virtual std::uint64_t bytesLeft() const = 0;

  virtual bool rdBool() = 0;
  virtual std::int8_t rdInt8() = 0;
  virtual std::uint8_t rdUInt8() = 0;
  virtual std::int16_t rdInt16() = 0;
  virtual std::int32_t rdInt32() = 0;
  virtual std::int64_t rdInt64() = 0;
  virtual std::uint16_t rdUInt16() { return static_cast<std::uint16_t>(rdInt16()); }
  virtual std::uint32_t rdUInt32() { return static_cast<std::uint32_t>(rdInt32()); }
  virtual std::uint64_t rdUInt64() { return static_cast<std::uint64_t>(rdInt64()); }
  virtual double rdDouble() = 0;
  /// rdBytes: reads exactly `size` bytes into `buffer`.
  virtual void rdBytes(void* buffer, std::size_t size) = 0;
  virtual OdString rdString() = 0;
  virtual OdDbHandle rdDbHandle() = 0;
  virtual OdGePoint2d rdPoint2d() = 0;
  virtual OdGePoint3d rdPoint3d() = 0;
  virtual OdGeVector2d rdVector2d() = 0;
  virtual OdGeVector3d rdVector3d() = 0;

  virtual void wrBool(bool value) = 0;
  virtual void wrInt8(std::int8_t value) = 0;
  virtual void wrUInt8(std::uint8_t value) = 0;
  virtual void wrInt16(std::int16_t value) = 0;
  virtual void wrInt32(std::int32_t value) = 0;
  virtual void wrInt64(std::int64_t value) = 0;
  virtual void wrUInt16(std::uint16_t value) { wrInt16(static_cast<std::int16_t>(value)); }
  virtual void wrUInt32(std::uint32_t value) { wrInt32(static_cast<std::int32_t>(value)); }
  virtual void wrUInt64(std::uint64_t value) { wrInt64(static_cast<std::int64_t>(value)); }
  virtual void wrDouble(double value) = 0;
  virtual void wrBytes(const void* buffer, std::size_t size) = 0;
  virtual void wrString(const OdString& value) = 0;
  virtual void wrDbHandle(const OdDbHandle& value) = 0;
  virtual void wrPoint2d(const OdGePoint2d& value) = 0;
  virtual void wrPoint3d(const OdGePoint3d& value) = 0;
  virtual void wrVector2d(const OdGeVector2d& value) = 0;
  virtual void wrVector3d(const OdGeVector3d& value) = 0;
};

using OdDbDwgFilerPtr = OdSmartPtr<OdDbDwgFiler>;
