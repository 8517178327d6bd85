// MDGContext: the context in which the dependency graph is evaluated. The
// stand-in host has only the normal (current time) context.
#pragma once

class MDGContext {
public:
    MDGContext();
    bool isNormal() const;

    static MDGContext fsNormal;
};
