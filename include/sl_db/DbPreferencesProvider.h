// Host hook: the user's default library paths and the roamable root folder. The module installs
// a plain provider when it is initialised; a host replaces it with setInstance afterwards.
#pragma once
/// @file

#include "OdString.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

/// DbPreferencesProvider: the default provider keeps the settings in memory, all empty at first;
/// a host derives to read and write its own settings instead.
class SLDB_API DbPreferencesProvider {
 public:
  DbPreferencesProvider() = default;
  /// Copies the settings; the current instance is not affected.
  DbPreferencesProvider(const DbPreferencesProvider&) = default;
  /// Copies the settings; the current instance is not affected.
  DbPreferencesProvider& operator=(const DbPreferencesProvider&) = default;
  virtual ~DbPreferencesProvider();

  /// setDefaultStocklibImperial: the default secondary library of imperial drawings; empty
  /// means the shipped imperial.stocklib of the support folder.
  virtual void setDefaultStocklibImperial(const OdString& path);
  /// getDefaultStocklibImperial: as set, unchanged; empty when never set.
  virtual OdString getDefaultStocklibImperial() const;
  /// setDefaultStocklibMetric: the default secondary library of metric drawings; empty means
  /// the shipped metric.stocklib of the support folder.
  virtual void setDefaultStocklibMetric(const OdString& path);
  /// getDefaultStocklibMetric: as set, unchanged; empty when never set.
  virtual OdString getDefaultStocklibMetric() const;
  /// setRoamableRootFolder: the folder whose Support folder holds the templates and the
  /// shipped libraries.
  virtual void setRoamableRootFolder(const OdString& folder);
  /// getRoamableRootFolder: as set; empty when never set.
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
