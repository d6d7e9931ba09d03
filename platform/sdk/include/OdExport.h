// Export macro of the drawing SDK library. Everything not marked is hidden.
#pragma once
/// @file
/// The export macro of the drawing SDK.

#define ODSDK_API __attribute__((visibility("default")))
