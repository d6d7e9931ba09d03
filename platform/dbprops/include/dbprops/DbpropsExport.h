// Export macro of the drawing property storage. Everything not marked is hidden.
#pragma once
/// @file
/// The export macro of the drawing property storage.

#define DBPROPS_API __attribute__((visibility("default")))
