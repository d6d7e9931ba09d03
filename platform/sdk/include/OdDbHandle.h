// OdDbHandle: the 64-bit handle of a drawing object, unique and stable within one drawing.
#pragma once
/// @file
/// The stable 64-bit handle of a drawing object.

#include <cstdint>

#include "OdExport.h"
#include "OdString.h"

class ODSDK_API OdDbHandle {
 public:
  OdDbHandle() = default;
  OdDbHandle(std::uint64_t value) : m_value(value) {}

  bool isNull() const { return m_value == 0; }
  std::uint64_t value() const { return m_value; }
  operator std::uint64_t() const { return m_value; }
  /// ascii: upper-case hexadecimal form without leading zeros ("0" for the null handle).
  OdString ascii() const;

  bool operator==(const OdDbHandle& o) const { return m_value == o.m_value; }
  bool operator!=(const OdDbHandle& o) const { return m_value != o.m_value; }
  bool operator<(const OdDbHandle& o) const { return m_value < o.m_value; }

 private:
  std::uint64_t m_value = 0;
};
