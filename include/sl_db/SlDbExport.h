// Export macro of the stocklib_db module: the namespace sl_db and the drawing object class.
#pragma once

#define SLDB_API __attribute__((visibility("default")))
