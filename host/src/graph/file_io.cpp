// MFileIO: what the scene-file module is doing now, as the scene counts it.
#include "graph/scene.h"

#include <maya/MFileIO.h>

using rdhost::FileActivity;

namespace {

bool doing(FileActivity activity) {
    const rdhost::Scene* scene = rdhost::Scene::current();
    return scene && scene->isDoing(activity);
}

}  // namespace

bool MFileIO::isReadingFile() { return doing(FileActivity::Reading); }
bool MFileIO::isWritingFile() { return doing(FileActivity::Writing); }
bool MFileIO::isOpeningFile() { return doing(FileActivity::Opening); }
bool MFileIO::isNewingFile() { return doing(FileActivity::Newing); }
