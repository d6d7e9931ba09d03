// DbStockLibManager: the drawing object that records which libraries a drawing uses: an
// embedded or external primary library, the secondary library paths and filter tags. While the
// primary is embedded, the object owns the in-memory file that holds the library's bytes and
// carries those bytes through drawing save and load.
#pragma once
/// @file

#include "DbDatabase.h"
#include "DbObject.h"
#include "OdArray.h"
#include "OdString.h"
#include "sl_db/SlDbExport.h"

/// DbStockLibManager: a drawing's library record, under dictionaryKey() in its named-objects
/// dictionary.
class SLDB_API DbStockLibManager : public OdDbObject {
  ODRX_DECLARE_MEMBERS_API(SLDB_API, DbStockLibManager)
 public:
  /// The key of the record in a drawing's named-objects dictionary.
  static const OdString& dictionaryKey();

  /// A new record: embedded, with a fresh empty in-memory file, no secondaries, no tags.
  DbStockLibManager();
  /// Frees the in-memory file when the record is still embedded.
  ~DbStockLibManager() override;

  /// getInstance: the drawing's record, created on request. Null id when the named-objects
  /// dictionary cannot be opened, when the key holds an object of another class (left in place,
  /// nothing created) or when nothing is there and `createIfNotFound` is false. `*pCreated`
  /// tells whether this call created the record. Throws OdError(eNotThatKindOfClass) when the
  /// named-objects dictionary is no dictionary.
  static OdDbObjectId getInstance(OdDbDatabase& db, bool createIfNotFound, bool* pCreated);
  /// getInstance: whatever is stored under the key (no class check, nothing created).
  static OdDbObjectId getInstance(const OdDbDatabase& db);

  // Readers need the object open for read, writers open for write (undo-recorded, modified).
  /// isPrimaryLibraryEmbedded: whether the primary lives in the drawing (the default).
  bool isPrimaryLibraryEmbedded() const;
  /// primaryLibraryPath: the external primary's path as recorded; empty while embedded.
  OdString primaryLibraryPath() const;
  /// setPrimaryLibraryEmbedded: when external, a new empty in-memory file becomes the primary;
  /// when embedded already, nothing changes.
  void setPrimaryLibraryEmbedded();
  /// setPrimaryLibraryPath: frees the in-memory file when embedded, then names `path` as the
  /// external primary.
  void setPrimaryLibraryPath(const OdString& path);
  /// secondaryLibraryPaths: the secondary libraries' paths in list order; may be empty.
  const OdArray<OdString>& secondaryLibraryPaths() const;
  /// setSecondaryLibraryPaths: the same list to change in place (the object open for write).
  OdArray<OdString>& setSecondaryLibraryPaths();
  /// filterTags: the tags the drawing filters library objects by; may be empty.
  const OdArray<OdString>& filterTags() const;
  /// setFilterTags: the same list to change in place (the object open for write).
  OdArray<OdString>& setFilterTags();

  /// Reads the record written by dwgOutFields. The undo filer reads nothing. A newer format
  /// answers eNotImplementedYet; a record that does not fit in what the stream still holds
  /// answers an error and leaves the record as it was.
  OdResult dwgInFields(OdDbDwgFiler* filer) override;
  /// Writes format 1 with the embedded bytes or the external path, then the non-empty secondary
  /// paths and filter tags. The undo filer writes nothing, not even the base object's data.
  void dwgOutFields(OdDbDwgFiler* filer) const override;

 private:
  OdResult readOwnFields(OdDbDwgFiler* filer);

  bool m_embedded = true;
  OdString m_primaryPath;
  OdArray<OdString> m_secondaryPaths;
  OdArray<OdString> m_filterTags;
};

/// A smart pointer to an open record.
using DbStockLibManagerPtr = OdSmartPtr<DbStockLibManager>;
