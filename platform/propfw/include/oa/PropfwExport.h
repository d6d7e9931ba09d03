// Export macro of the property-palette framework. Everything not marked is hidden.
#pragma once
/// @file
/// The export macro of the property-palette framework.

#define PROPFW_API __attribute__((visibility("default")))
