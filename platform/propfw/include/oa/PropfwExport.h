// Export macro of the property-palette framework. Everything not marked is hidden.
#pragma once

#define PROPFW_API __attribute__((visibility("default")))
