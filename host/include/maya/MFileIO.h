// MFileIO: the host's scene file operations. Here only the queries a node uses
// to tell a file being read (or written, opened, cleared) from a user's own
// edit. They answer for the scene that is current.
#pragma once

class MFileIO {
public:
    // True while the host reads a scene file: its setAttr statements run
    // inside, so a node hears of them as of any other write.
    static bool isReadingFile();
    static bool isWritingFile();
    // True from the clearing of the old scene to the end of the new one's read.
    static bool isOpeningFile();
    // True while file -new clears the scene.
    static bool isNewingFile();
};
