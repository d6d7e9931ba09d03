// Host hook: the user's default library paths and the roamable root folder. The module installs
// a plain provider when it is initialised; a host replaces it with setInstance afterwards.
#pragma once

#include "OdString.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

class SLDB_API DbPreferencesProvider {
 public:
  DbPreferencesProvider() = default;
  DbPreferencesProvider(const DbPreferencesProvider&) = default;
  DbPreferencesProvider& operator=(const DbPreferencesProvider&) = default;
  virtual ~DbPreferencesProvider();

  virtual void setDefaultStocklibImperial(const OdString& path);
  virtual OdString getDefaultStocklibImperial() const;
  virtual void setDefaultStocklibMetric(const OdString& path);
  virtual OdString getDefaultStocklibMetric() const;
  virtual void setRoamableRootFolder(const OdString& folder);
  virtual OdString getRoamableRootFolder() const;

  /// setInstance: makes `provider` current (not owned; null for none).
  static void setInstance(DbPreferencesProvider* provider);
  /// getInstance: the current provider, or null.
  static DbPreferencesProvider* getInstance();

 private:
  OdString m_defaultImperial;
  OdString m_defaultMetric;
  OdString m_roamableRoot;

  static DbPreferencesProvider* m_pInstance;
};

}  // namespace sl_db
