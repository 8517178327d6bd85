// A module that is not a plug-in: it has a version text but no entry points.
#include <maya/MFnPlugin.h>

extern "C" PLUGIN_EXPORT int graphNotAPlugin() { return 1; }
