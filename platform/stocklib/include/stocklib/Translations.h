// Translations: the catalogue of translated words that the host installs for the library store.
#pragma once
/// @file
/// The catalogue of translated words the library store uses.

#include <map>
#include <memory>
#include <string>

#include "OdString.h"
#include "stocklib/StocklibExport.h"

namespace stocklib {

class STOCKLIB_API Translations {
 public:
  virtual ~Translations();
  /// set: installs the process's catalogue (empty: none).
  static void set(std::shared_ptr<Translations> translations);
  /// get: the installed catalogue, or null.
  static Translations* get();

  /// translate: true with the translation in `out` when the word is known; false otherwise
  /// (`out` unchanged).
  virtual bool translate(const OdString& word, OdString& out) const;
  /// add: records a translation (replacing an earlier one).
  void add(const OdString& word, const OdString& translation);
  std::size_t size() const { return m_words.size(); }

  /// loadMo: a catalogue read from a gettext .mo file; null with `error` set when the file cannot
  /// be read or is malformed (every offset and length is checked against the file size).
  static std::shared_ptr<Translations> loadMo(const OdString& path, OdString* error = nullptr);
  /// parseMo: the same from bytes in memory.
  static std::shared_ptr<Translations> parseMo(const std::string& bytes, OdString* error = nullptr);

 private:
  std::map<std::string, std::string> m_words;  // UTF-8 msgid -> msgstr
};

}  // namespace stocklib
