// MDrawContext: the frame context while an override draws (what its draw
// callback receives).
#pragma once

#include <maya/MFrameContext.h>

namespace MHWRender {

class MDrawContext : public MFrameContext {
public:
    ~MDrawContext() override;

    static const char* className() { return "MDrawContext"; }

    // Host side.
    explicit MDrawContext(const rdhost::FrameState* state) : MFrameContext(state) {}
};

}  // namespace MHWRender
