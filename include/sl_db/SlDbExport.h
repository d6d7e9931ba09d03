// Export macro of the stocklib_db module: the namespace sl_db and the drawing object class.
#pragma once
/// @file

/// SLDB_API: exports a class or function of the module from stocklib_db.tx.
#define SLDB_API __attribute__((visibility("default")))
