// MGlobal: static access to the host's command interpreter and messages. It
// works on the scene that is current (rdhost::Scene::current()).
#pragma once

#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

class MGlobal {
public:
    static MStatus executeCommand(const MString& command, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, int& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, double& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MString& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MStringArray& result, bool displayEnabled = false,
                                  bool undoEnabled = false);
    // Queued and run by the host's idle step.
    static MStatus executeCommandOnIdle(const MString& command, bool displayEnabled = false);

    static void displayInfo(const MString& theMessage);
    static void displayWarning(const MString& theMessage);
    static void displayError(const MString& theMessage);
};
