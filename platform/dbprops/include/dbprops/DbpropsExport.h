// Export macro of the drawing property storage. Everything not marked is hidden.
#pragma once

#define DBPROPS_API __attribute__((visibility("default")))
