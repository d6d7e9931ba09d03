// Profiles by their full names.
#include "sl_db/ProfileNames.h"

#include <vector>

#include "sl_db/ProfileHelpers.h"

namespace sl_db {

KcSmartPtr<stocklib::Profile> findProfileByFullName(const stocklib::Library& library,
                                                    const OdString& fullName) {
  // A profile without a name has an empty full name too; nobody asks for that one.
  if (fullName.isEmpty()) return nullptr;
  // Read whole rather than split: only the library knows which words make its standards' names.
  std::vector<KcSmartPtr<stocklib::Profile>> profiles;
  library.get(profiles);
  for (const auto& p : profiles)
    if (fullProfileName(p.get()) == fullName) return p;
  return nullptr;
}

stocklib::ProfileKey profileKey(const stocklib::Profile& profile) {
  KcSmartPtr<stocklib::ProfileName> name = profile.name();
  KcSmartPtr<stocklib::ProfileStandard> standard = name ? name->standard() : nullptr;
  return stocklib::ProfileKey(standard ? standard->name() : OdString(),
                              name ? name->name() : OdString(), profile.size());
}

std::optional<stocklib::ProfileKey> parseProfileKey(const stocklib::Library& library,
                                                    const OdString& fullName) {
  KcSmartPtr<stocklib::Profile> profile = findProfileByFullName(library, fullName);
  if (!profile) return std::nullopt;
  return profileKey(*profile);
}

}  // namespace sl_db
