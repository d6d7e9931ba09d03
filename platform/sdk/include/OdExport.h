// Export macro of the drawing SDK library. Everything not marked is hidden.
#pragma once

#define ODSDK_API __attribute__((visibility("default")))
