// Basic types shared by the whole API: coordinate spaces, plug-in entry point
// signatures and the export marker.
#pragma once

#include <cstddef>

class MStatus;

#ifndef NULL
#define NULL 0
#endif

// Marks a symbol the host must find with dlsym.
#define PLUGIN_EXPORT __attribute__((visibility("default")))

typedef void* (*MCreatorFunction)();
typedef MStatus (*MInitializeFunction)();

class MSpace {
public:
    enum Space {
        kInvalid = 0,
        kTransform = 1,
        kPreTransform = 2,
        kObject = kPreTransform,
        kPostTransform = 3,
        kWorld = 4,
        kLast = 5
    };
};
