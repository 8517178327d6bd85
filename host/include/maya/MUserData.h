// MUserData: data a draw override keeps between prepareForDraw and its draw.
// The host owns what prepareForDraw returns: data made with deleteAfterUse
// true is deleted right after the draw; other data is kept for the node and
// handed back as the next call's oldData, until the override returns other
// data (the old is then deleted) or the node or override goes away.
#pragma once

class MUserData {
public:
    MUserData(bool deleteAfterUse) : fDeleteAfterUse(deleteAfterUse) {}
    virtual ~MUserData() {}

    bool deleteAfterUse() { return fDeleteAfterUse; }
    void setDeleteAfterUse(bool shouldDelete) { fDeleteAfterUse = shouldDelete; }

    static const char* className() { return "MUserData"; }

private:
    bool fDeleteAfterUse;
};
