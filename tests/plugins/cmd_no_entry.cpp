// A module that is no plug-in: it exports neither initializePlugin nor
// uninitializePlugin, so loadPlugin must refuse it by name.
extern "C" int cmdNoEntryMarker() { return 42; }
