// Translations: the installed catalogue and a reader of gettext .mo files.
#include "stocklib/Translations.h"

#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

namespace stocklib {

namespace {
std::mutex g_mutex;
std::shared_ptr<Translations> g_installed;

bool fail(OdString* error, const std::string& text) {
  if (error) *error = OdString::fromUtf8(text);
  return false;
}
}  // namespace

Translations::~Translations() = default;

void Translations::set(std::shared_ptr<Translations> translations) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_installed = std::move(translations);
}

Translations* Translations::get() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_installed.get();
}

bool Translations::translate(const OdString& word, OdString& out) const {
  auto it = m_words.find(word.toUtf8());
  if (it == m_words.end() || it->second.empty()) return false;
  out = OdString::fromUtf8(it->second);
  return true;
}

void Translations::add(const OdString& word, const OdString& translation) {
  m_words[word.toUtf8()] = translation.toUtf8();
}

std::shared_ptr<Translations> Translations::loadMo(const OdString& path, OdString* error) {
  std::ifstream in(path.toUtf8(), std::ios::binary);
  if (!in) {
    fail(error, "cannot read " + path.toUtf8());
    return nullptr;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::shared_ptr<Translations> t = parseMo(bytes.str(), error);
  if (!t && error) *error = path + L": " + *error;
  return t;
}

std::shared_ptr<Translations> Translations::parseMo(const std::string& data, OdString* error) {
  // Header: magic, revision, count, offset of originals, offset of translations (32-bit words,
  // in the byte order the magic tells).
  const std::size_t size = data.size();
  if (size < 20) {
    fail(error, "too short for a .mo header (" + std::to_string(size) + " bytes)");
    return nullptr;
  }
  auto word = [&](std::size_t at, bool swap) {
    uint32_t v;
    std::memcpy(&v, data.data() + at, 4);
    return swap ? __builtin_bswap32(v) : v;
  };
  bool swap;
  if (word(0, false) == 0x950412deu)
    swap = false;
  else if (word(0, true) == 0x950412deu)
    swap = true;
  else {
    fail(error, "not a .mo file (bad magic number)");
    return nullptr;
  }
  if ((word(4, swap) >> 16) > 1) {
    fail(error, "unsupported .mo revision " + std::to_string(word(4, swap) >> 16));
    return nullptr;
  }
  uint64_t count = word(8, swap), originals = word(12, swap), translations = word(16, swap);
  if (originals > size || translations > size || count > (size - originals) / 8 ||
      count > (size - translations) / 8) {
    fail(error, "string tables of " + std::to_string(count) + " entries exceed the file size");
    return nullptr;
  }
  auto text = [&](uint64_t table, uint64_t i, std::string& out) {
    uint64_t length = word(static_cast<std::size_t>(table + 8 * i), swap);
    uint64_t offset = word(static_cast<std::size_t>(table + 8 * i + 4), swap);
    if (offset > size || length >= size - offset) return false;  // needs room for the NUL too
    out.assign(data.data() + offset, static_cast<std::size_t>(length));
    return true;
  };
  auto t = std::make_shared<Translations>();
  for (uint64_t i = 0; i < count; ++i) {
    std::string original, translated;
    if (!text(originals, i, original) || !text(translations, i, translated)) {
      fail(error, "string " + std::to_string(i) + " lies outside the file");
      return nullptr;
    }
    if (original.empty()) continue;  // the catalogue header
    // Plural forms: the singular is the part before the first NUL, and so is its translation.
    original = original.substr(0, original.find('\0'));
    translated = translated.substr(0, translated.find('\0'));
    t->m_words[original] = translated;
  }
  return t;
}

}  // namespace stocklib
