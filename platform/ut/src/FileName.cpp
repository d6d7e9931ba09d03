// ut::FileName: lexical normalisation, joining and climbing of POSIX paths.
#include "ut/FileName.h"

#include <string>
#include <vector>

namespace ut {
namespace {

struct Parts {
  bool absolute = false;
  std::vector<std::wstring> segments;

  // climb: one segment up. Only a real name can be taken away; above the start of a relative
  // path ".." is added, above the root nothing happens.
  void climb() {
    if (!segments.empty() && segments.back() != L"..") {
      segments.pop_back();
    } else if (!absolute) {
      segments.emplace_back(L"..");
    }
  }
};

Parts parse(const OdString& path) {
  Parts parts;
  const std::wstring& text = path.str();
  parts.absolute = !text.empty() && (text[0] == L'/' || text[0] == L'\\');
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(L"/\\", start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring segment = text.substr(start, end - start);
    if (segment == L"..") {
      parts.climb();
    } else if (!segment.empty() && segment != L".") {
      parts.segments.push_back(std::move(segment));
    }
    start = end + 1;
  }
  return parts;
}

OdString join(const Parts& parts) {
  std::wstring out;
  if (parts.absolute) out = L"/";
  for (std::size_t i = 0; i < parts.segments.size(); ++i) {
    if (i > 0) out += L'/';
    out += parts.segments[i];
  }
  if (out.empty()) out = L".";
  return OdString(out);
}

}  // namespace

FileName::FileName(const OdString& path) : m_path(normalise(path)) {}

OdString FileName::normalise(const OdString& path) {
  if (path.isEmpty()) return OdString();
  return join(parse(path));
}

bool FileName::isRelative() const {
  return m_path.isEmpty() || m_path[0] != L'/';
}

FileName& FileName::makeAbsolute(const OdString& folder) {
  if (!isRelative() || folder.isEmpty()) return *this;
  m_path = normalise(folder + L"/" + m_path);
  return *this;
}

OdString FileName::getPath(int levels) const {
  if (m_path.isEmpty()) return OdString();
  Parts parts = parse(m_path);
  for (int i = 0; i < levels; ++i)
    parts.climb();
  return join(parts);
}

OdString FileName::getName() const {
  Parts parts = parse(m_path);
  return parts.segments.empty() ? OdString() : OdString(parts.segments.back());
}

OdString FileName::getExtension() const {
  OdString name = getName();
  int dot = name.reverseFind(L'.');
  return dot > 0 ? name.mid(dot + 1) : OdString();
}

}  // namespace ut
