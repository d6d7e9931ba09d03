// Export macro of the library store.
#pragma once

#define STOCKLIB_API __attribute__((visibility("default")))
