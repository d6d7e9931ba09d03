// Export macro of the utility library.
#pragma once
/// @file
/// The export macro of the utility library.

#define UT_API __attribute__((visibility("default")))
