#define GL_GLEXT_PROTOTYPES 1
#include "view/gl_context.h"

#include "graph/scene.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rdhost {
namespace {

using GenFn = void (*)(GLsizei, GLuint*);
using BindFn = void (*)(GLenum, GLuint);
using StorageFn = void (*)(GLenum, GLenum, GLsizei, GLsizei);
using AttachFn = void (*)(GLenum, GLenum, GLenum, GLuint);
using StatusFn = GLenum (*)(GLenum);

// Framebuffer-object entry points: the core/ARB names, or the older EXT ones.
struct FboApi {
    GenFn genFramebuffers = nullptr;
    BindFn bindFramebuffer = nullptr;
    GenFn genRenderbuffers = nullptr;
    BindFn bindRenderbuffer = nullptr;
    StorageFn renderbufferStorage = nullptr;
    AttachFn framebufferRenderbuffer = nullptr;
    StatusFn checkFramebufferStatus = nullptr;
    bool available() const {
        return genFramebuffers && bindFramebuffer && genRenderbuffers && bindRenderbuffer &&
               renderbufferStorage && framebufferRenderbuffer && checkFramebufferStatus;
    }
};

struct GLState {
    bool ready = false;
    pid_t xvfbPid = -1;
    std::string display;
    int window = 0;
    FboApi fbo;
    bool haveFbo = false;
    GLuint framebuffer = 0, colorBuffer = 0, depthBuffer = 0;
    GLuint scratchFramebuffer = 0, scratchColor = 0;
    int scratchWidth = 0, scratchHeight = 0;
    int targetWidth = 0, targetHeight = 0;
    int windowWidth = 64, windowHeight = 64;
};

GLState& state() {
    static GLState s;
    return s;
}

double nowSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Local displays (":N", ":N.S", "unix:N") are checked by connecting to their
// socket, so a dead DISPLAY gives our error instead of freeglut's exit().
int localDisplayNumber(const std::string& display) {
    std::string d = display;
    if (d.rfind("unix:", 0) == 0) d = d.substr(4);
    if (d.empty() || d[0] != ':') return -1;
    char* end = nullptr;
    long n = std::strtol(d.c_str() + 1, &end, 10);
    if (end == d.c_str() + 1 || n < 0) return -1;
    return static_cast<int>(n);
}

bool displaySocketAccepts(int number) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "/tmp/.X11-unix/X%d", number);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

void stopXvfb() {
    GLState& s = state();
    if (s.xvfbPid <= 0) return;
    kill(s.xvfbPid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200; ++i) {  // up to 2 s, then make sure
        pid_t r = waitpid(s.xvfbPid, &status, WNOHANG);
        if (r == s.xvfbPid || r < 0) {
            s.xvfbPid = -1;
            return;
        }
        usleep(10000);
    }
    kill(s.xvfbPid, SIGKILL);
    waitpid(s.xvfbPid, &status, 0);
    s.xvfbPid = -1;
}

// Xvfb picks a free display number itself and reports it through -displayfd
// once it accepts connections; no guessing of numbers, no race with others.
void startXvfb() {
    GLState& s = state();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw HostError(std::string("cannot start Xvfb: pipe: ") + std::strerror(errno));
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        throw HostError(std::string("cannot start Xvfb: fork: ") + std::strerror(errno));
    }
    if (pid == 0) {
        // Child: only async-signal-safe calls until exec.
        // The server lives exactly as long as the host: it is stopped by the
        // kernel when the host's thread ends, whether by exit or by a crash.
        // Not stopping it earlier (from an exit handler) matters: GL and X
        // libraries still talk to the server while the process winds down.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);  // the host died before prctl
        int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, 0);
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        int flags = fcntl(fds[1], F_GETFD);
        fcntl(fds[1], F_SETFD, flags & ~FD_CLOEXEC);
        char fdText[16];
        int n = fds[1], len = 0;
        char rev[16];
        do {
            rev[len++] = static_cast<char>('0' + n % 10);
            n /= 10;
        } while (n > 0);
        for (int i = 0; i < len; ++i) fdText[i] = rev[len - 1 - i];
        fdText[len] = '\0';
        const char* argv[] = {"Xvfb",         "-displayfd", fdText, "-screen",  "0",
                              "1280x1024x24", "-nolisten",  "tcp",  "-noreset", nullptr};
        execvp("Xvfb", const_cast<char* const*>(argv));
        _exit(127);
    }
    close(fds[1]);
    s.xvfbPid = pid;

    std::string text;
    const double deadline = nowSeconds() + 20.0;
    bool gotLine = false;
    while (!gotLine) {
        double left = deadline - nowSeconds();
        if (left <= 0) break;
        pollfd p{fds[0], POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(left * 1000) + 1);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        char buf[64];
        ssize_t got = read(fds[0], buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buf, static_cast<size_t>(got));
        gotLine = text.find('\n') != std::string::npos;
    }
    close(fds[0]);
    char* end = nullptr;
    long number = std::strtol(text.c_str(), &end, 10);
    if (!gotLine || end == text.c_str() || number < 0) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            s.xvfbPid = -1;
            if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
                throw HostError(
                    "cannot start Xvfb: the Xvfb program was not found "
                    "(install the xvfb package, or set DISPLAY)");
            throw HostError("cannot start Xvfb: it exited before accepting connections");
        }
        stopXvfb();
        throw HostError("cannot start Xvfb: no display number reported within 20 s");
    }
    s.display = ":" + std::to_string(number);
    setenv("DISPLAY", s.display.c_str(), 1);
    // -displayfd is written once the server listens; check the socket anyway.
    for (int i = 0; i < 500 && !displaySocketAccepts(static_cast<int>(number)); ++i) usleep(10000);
}

// The context goes before the process does, so the driver frees what it holds
// for it (a leak checker would report that memory otherwise). The display
// connection stays open: the server is still there (see startXvfb) and GL's
// own exit code still talks to it.
void destroyWindowAtExit() {
    GLState& s = state();
    if (s.window) {
        // A context that is still current is only marked for deletion.
        if (Display* d = glXGetCurrentDisplay()) glXMakeCurrent(d, None, nullptr);
        glutDestroyWindow(s.window);
        s.window = 0;
        glutExit();
    }
}

void noDisplay() {}

}  // namespace
}  // namespace rdhost

// Leak-checker controls, present only in sanitized builds.
extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace rdhost {
namespace {

// The driver allocates some buffers lazily, on the first draw, and keeps them
// where a leak checker cannot see them (a false report on every GL program).
// Drawing once here, with the checker paused, makes those allocations happen
// now and marks them as the driver's.
void warmUpDriver() {
    if (__lsan_disable) __lsan_disable();
    glBegin(GL_LINES);
    glColor4f(1, 1, 1, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(1, 1, 0);
    glEnd();
    glRasterPos3f(0, 0, 0);
    glBitmap(0, 0, 0, 0, 1, 0, nullptr);
    GLfloat feedback[64];
    glFeedbackBuffer(64, GL_3D_COLOR, feedback);
    glRenderMode(GL_FEEDBACK);
    glBegin(GL_TRIANGLES);
    glVertex3f(0, 0, 0);
    glVertex3f(0.5f, 0, 0);
    glVertex3f(0, 0.5f, 0);
    glEnd();
    glRenderMode(GL_RENDER);
    glFinish();
    while (glGetError() != GL_NO_ERROR) {}
    if (__lsan_enable) __lsan_enable();
    // The driver is unloaded when the context goes at exit, before the leak
    // checker runs; what it still holds would then be reported from an unknown
    // module that no suppression can match. Keep every loaded library mapped.
    if (__lsan_disable) {
        dl_iterate_phdr(
            [](dl_phdr_info* info, size_t, void*) {
                if (info->dlpi_name && info->dlpi_name[0] == '/')
                    ::dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
                return 0;
            },
            nullptr);
    }
}

bool hasExtension(const char* name) {
    const char* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!ext) return false;
    const size_t len = std::strlen(name);
    for (const char* p = ext; (p = std::strstr(p, name)) != nullptr; p += len) {
        bool startOk = p == ext || p[-1] == ' ';
        bool endOk = p[len] == ' ' || p[len] == '\0';
        if (startOk && endOk) return true;
    }
    return false;
}

template <class Fn>
Fn proc(const char* name) {
    return reinterpret_cast<Fn>(glutGetProcAddress(name));
}

void loadFboApi(GLState& s) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = version ? std::atoi(version) : 0;
    FboApi api;
    if (major >= 3 || hasExtension("GL_ARB_framebuffer_object")) {
        api.genFramebuffers = proc<GenFn>("glGenFramebuffers");
        api.bindFramebuffer = proc<BindFn>("glBindFramebuffer");
        api.genRenderbuffers = proc<GenFn>("glGenRenderbuffers");
        api.bindRenderbuffer = proc<BindFn>("glBindRenderbuffer");
        api.renderbufferStorage = proc<StorageFn>("glRenderbufferStorage");
        api.framebufferRenderbuffer = proc<AttachFn>("glFramebufferRenderbuffer");
        api.checkFramebufferStatus = proc<StatusFn>("glCheckFramebufferStatus");
    }
    if (!api.available() && hasExtension("GL_EXT_framebuffer_object")) {
        api = FboApi{};
        api.genFramebuffers = proc<GenFn>("glGenFramebuffersEXT");
        api.bindFramebuffer = proc<BindFn>("glBindFramebufferEXT");
        api.genRenderbuffers = proc<GenFn>("glGenRenderbuffersEXT");
        api.bindRenderbuffer = proc<BindFn>("glBindRenderbufferEXT");
        api.renderbufferStorage = proc<StorageFn>("glRenderbufferStorageEXT");
        api.framebufferRenderbuffer = proc<AttachFn>("glFramebufferRenderbufferEXT");
        api.checkFramebufferStatus = proc<StatusFn>("glCheckFramebufferStatusEXT");
    }
    s.fbo = api;
    s.haveFbo = api.available() && std::getenv("RIGDIALS_NO_FBO") == nullptr;
}

}  // namespace

void ensureGLContext() {
    GLState& s = state();
    if (s.ready) {
        if (glutGetWindow() != s.window) glutSetWindow(s.window);
        return;
    }
    const char* env = std::getenv("DISPLAY");
    bool started = false;
    // The probe's connection stays open until the GL toolkit has its own: an
    // X server started without -noreset resets when its last client leaves,
    // and the toolkit's connection would then meet a server going down.
    struct Probe {
        Display* display = nullptr;
        ~Probe() {
            if (display) XCloseDisplay(display);
        }
    } probe;
    if (env == nullptr || *env == '\0') {
        startXvfb();
        started = true;
    } else {
        s.display = env;
        int number = localDisplayNumber(s.display);
        // freeglut exits the process when it cannot open the display: try it
        // first (a local one by its socket, which cannot hang). A server that
        // accepted the socket may be resetting after that very connection:
        // it is given a moment to come back.
        const bool reachable = number < 0 || displaySocketAccepts(number);
        for (int attempt = 0; reachable && !probe.display && attempt < 20; ++attempt) {
            if (attempt > 0) usleep(50 * 1000);
            probe.display = XOpenDisplay(env);
        }
        if (!probe.display)
            throw HostError("cannot open X display '" + s.display +
                            "' (unset DISPLAY to let rigdials start its own Xvfb)");
    }
    if (!glutGet(GLUT_INIT_STATE)) {
        static int argc = 1;
        static char name[] = "rigdials";
        static char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
    }
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH | GLUT_DOUBLE);
    glutInitWindowSize(s.windowWidth, s.windowHeight);
    s.window = glutCreateWindow("rigdials");
    if (s.window <= 0) {
        if (started) stopXvfb();
        throw HostError("cannot create a GL window on display '" + s.display + "'");
    }
    glutDisplayFunc(noDisplay);
    glutHideWindow();
    glutMainLoopEvent();
    glutSetWindow(s.window);
    loadFboApi(s);
    warmUpDriver();
    std::atexit(destroyWindowAtExit);
    s.ready = true;
}

std::string glDisplayName() { return state().display; }

bool usingPrivateXvfb() { return state().xvfbPid > 0; }

bool offscreenIsFramebufferObject() {
    ensureGLContext();
    return state().haveFbo;
}

void bindOffscreenTarget(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        throw HostError("image size " + std::to_string(width) + " x " + std::to_string(height) +
                        " is out of range (1 to " + std::to_string(kMaxImageSide) + " per side)");
    ensureGLContext();
    GLState& s = state();
    if (s.haveFbo) {
        GLint maxSize = 0, maxViewport[2] = {0, 0};
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
        if (width > maxSize || height > maxSize || width > maxViewport[0] || height > maxViewport[1])
            throw HostError("image size " + std::to_string(width) + " x " + std::to_string(height) +
                            " is larger than the GL driver allows (" + std::to_string(maxSize) + ")");
        if (s.framebuffer == 0) {
            s.fbo.genFramebuffers(1, &s.framebuffer);
            s.fbo.genRenderbuffers(1, &s.colorBuffer);
            s.fbo.genRenderbuffers(1, &s.depthBuffer);
        }
        s.fbo.bindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
        if (width != s.targetWidth || height != s.targetHeight) {
            while (glGetError() != GL_NO_ERROR) {}
            s.fbo.bindRenderbuffer(GL_RENDERBUFFER, s.colorBuffer);
            s.fbo.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
            s.fbo.bindRenderbuffer(GL_RENDERBUFFER, s.depthBuffer);
            s.fbo.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
            s.fbo.bindRenderbuffer(GL_RENDERBUFFER, 0);
            s.fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                          s.colorBuffer);
            s.fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                          s.depthBuffer);
            GLenum err = glGetError();
            GLenum status = s.fbo.checkFramebufferStatus(GL_FRAMEBUFFER);
            if (err != GL_NO_ERROR || status != GL_FRAMEBUFFER_COMPLETE) {
                s.targetWidth = s.targetHeight = 0;
                throw HostError("cannot make a " + std::to_string(width) + " x " + std::to_string(height) +
                                " offscreen image (GL error " + std::to_string(err) +
                                ", framebuffer status " + std::to_string(status) + ")");
            }
            s.targetWidth = width;
            s.targetHeight = height;
        }
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
    } else {
        // No framebuffer objects: the hidden window's back buffer, resized.
        if (width > 1280 || height > 1024)
            throw HostError("image size " + std::to_string(width) + " x " + std::to_string(height) +
                            " needs framebuffer objects, which this GL driver lacks (at most "
                            "1280 x 1024 without them)");
        if (width != s.windowWidth || height != s.windowHeight) {
            glutReshapeWindow(width, height);
            for (int i = 0; i < 50; ++i) {
                glutMainLoopEvent();
                if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height) break;
                usleep(10000);
            }
            if (glutGet(GLUT_WINDOW_WIDTH) != width || glutGet(GLUT_WINDOW_HEIGHT) != height)
                throw HostError("cannot resize the GL window to " + std::to_string(width) + " x " +
                                std::to_string(height));
            s.windowWidth = width;
            s.windowHeight = height;
        }
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
    }
    glViewport(0, 0, width, height);
}

std::vector<std::uint8_t> renderScratchRGBA(int width, int height, const std::function<void()>& draw) {
    ensureGLContext();
    GLState& s = state();
    if (!s.haveFbo || width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return {};
    GLint previous = 0, viewport[4] = {0, 0, 0, 0}, drawBuffer = 0, readBuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    if (s.scratchFramebuffer == 0) {
        s.fbo.genFramebuffers(1, &s.scratchFramebuffer);
        s.fbo.genRenderbuffers(1, &s.scratchColor);
    }
    s.fbo.bindFramebuffer(GL_FRAMEBUFFER, s.scratchFramebuffer);
    std::vector<std::uint8_t> pixels;
    bool ok = true;
    if (width != s.scratchWidth || height != s.scratchHeight) {
        while (glGetError() != GL_NO_ERROR) {}
        s.fbo.bindRenderbuffer(GL_RENDERBUFFER, s.scratchColor);
        s.fbo.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        s.fbo.bindRenderbuffer(GL_RENDERBUFFER, 0);
        s.fbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.scratchColor);
        ok = glGetError() == GL_NO_ERROR &&
             s.fbo.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        s.scratchWidth = ok ? width : 0;
        s.scratchHeight = ok ? height : 0;
    }
    if (ok) {
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glViewport(0, 0, width, height);
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        draw();
        pixels.resize(static_cast<size_t>(width) * height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    s.fbo.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    glDrawBuffer(static_cast<GLenum>(drawBuffer));
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    return pixels;
}

std::vector<std::uint8_t> readOffscreenRGBA(int width, int height) {
    ensureGLContext();
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // GL's first row is the bottom one; images start at the top. Flipped in
    // place: a second picture-sized buffer per refresh costs more than the
    // drawing of a small scene.
    const size_t stride = static_cast<size_t>(width) * 4;
    std::vector<std::uint8_t> row(stride);
    for (int y = 0, z = height - 1; y < z; ++y, --z) {
        std::uint8_t* a = pixels.data() + stride * y;
        std::uint8_t* b = pixels.data() + stride * z;
        std::memcpy(row.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row.data(), stride);
    }
    return pixels;
}

}  // namespace rdhost
