// MFileIO: what the scene-file module is doing now, as the scene counts it.
#include "graph/scene.h"

#include <maya/MFileIO.h>

namespace {

const rdhost::Scene::FileActivity* activity() {
    const rdhost::Scene* scene = rdhost::Scene::current();
    return scene ? &scene->fileActivity : nullptr;
}

}  // namespace

bool MFileIO::isReadingFile() { return activity() && activity()->reading > 0; }
bool MFileIO::isWritingFile() { return activity() && activity()->writing > 0; }
bool MFileIO::isOpeningFile() { return activity() && activity()->opening > 0; }
bool MFileIO::isNewingFile() { return activity() && activity()->newing > 0; }
