// Export macro of the utility library.
#pragma once

#define UT_API __attribute__((visibility("default")))
