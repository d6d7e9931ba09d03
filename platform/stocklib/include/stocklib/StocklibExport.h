// Export macro of the library store.
#pragma once
/// @file
/// The export macro of the library store.

#define STOCKLIB_API __attribute__((visibility("default")))
