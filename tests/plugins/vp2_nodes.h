// What the vp2_nodes test plug-in notes of its draws, read by the tests
// through its vp2QuadStats() entry point.
#pragma once

// What a vp2Frame node was drawn with, by either renderer.
struct FrameSeen {
    double modelView[4][4];  // the object's world and view: GL's modelview
    double projection[4][4];
    double viewProjCheck[4][4];  // worldViewProj times its inverse (the identity)
    int viewport[4];
    unsigned int displayStyle;
};

struct Vp2NodeStats {
    int prepares = 0;
    int dataAlive = 0;
    int overridesAlive = 0;
    // vp2Frame: its user data made, alive, and handed back as `old`.
    int frameDataMade = 0;
    int frameDataAlive = 0;
    int frameDataHandedBack = 0;
    FrameSeen legacy{}, vp2{};
};
