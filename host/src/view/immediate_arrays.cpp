#define GL_GLEXT_PROTOTYPES 1
#include "view/immediate_arrays.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <dlfcn.h>

#include <array>
#include <vector>

#define RD_GL_ENTRY extern "C" __attribute__((visibility("default")))

namespace rdhost {

namespace {

// The pair being gathered. One GL context and thread draw at a time, as
// everywhere in the viewport.
struct Gatherer {
    int scopes = 0;           // ImmediateArrays alive
    bool inPair = false;      // between a gathered glBegin and its glEnd
    bool handedOver = false;  // the pair went to the driver after all
    GLenum mode = 0;
    bool setColor = false, setNormal = false, setTexCoord = false;
    std::array<GLfloat, 4> color{}, texCoord{};
    std::array<GLfloat, 3> normal{};
    std::vector<GLfloat> positions, colors, normals, texCoords;
};

Gatherer g;

bool gathering() { return g.inPair && !g.handedOver; }

// The driver's entry point of that name.
void* driverSymbol(const char* name) {
    if (void* f = dlsym(RTLD_NEXT, name)) return f;
    static void* gl = dlopen("libGL.so.1", RTLD_LAZY | RTLD_NOLOAD);
    return gl ? dlsym(gl, name) : nullptr;
}

template <class Fn>
Fn driver(const char* name) {
    return reinterpret_cast<Fn>(driverSymbol(name));
}

#define RD_DRIVER(name) static const auto driver_ = ::rdhost::driver<decltype(&::name)>(#name)

void vertex(GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
    g.positions.insert(g.positions.end(), {x, y, z, w});
    g.colors.insert(g.colors.end(), g.color.begin(), g.color.end());
    g.normals.insert(g.normals.end(), g.normal.begin(), g.normal.end());
    g.texCoords.insert(g.texCoords.end(), g.texCoord.begin(), g.texCoord.end());
}

void color(GLfloat r, GLfloat gr, GLfloat b, GLfloat a) {
    g.color = {r, gr, b, a};
    g.setColor = true;
}

void normal(GLfloat x, GLfloat y, GLfloat z) {
    g.normal = {x, y, z};
    g.setNormal = true;
}

void texCoord(GLfloat s, GLfloat t, GLfloat r, GLfloat q) {
    g.texCoord = {s, t, r, q};
    g.setTexCoord = true;
}

void clearPair() {
    g.inPair = g.handedOver = false;
    g.setColor = g.setNormal = g.setTexCoord = false;
    g.positions.clear();
    g.colors.clear();
    g.normals.clear();
    g.texCoords.clear();
}

void startPair(GLenum mode) {
    clearPair();
    g.inPair = true;
    g.mode = mode;
    // Vertices before the pair's first glColor (glNormal, glTexCoord) carry
    // the current value.
    glGetFloatv(GL_CURRENT_COLOR, g.color.data());
    glGetFloatv(GL_CURRENT_NORMAL, g.normal.data());
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, g.texCoord.data());
}

// Gives the pair to the driver as issued so far; the rest of it goes there too.
void handOver() {
    RD_DRIVER(glBegin);
    driver_(g.mode);
    static const auto color4 = driver<decltype(&::glColor4fv)>("glColor4fv");
    static const auto normal3 = driver<decltype(&::glNormal3fv)>("glNormal3fv");
    static const auto tex4 = driver<decltype(&::glTexCoord4fv)>("glTexCoord4fv");
    static const auto vertex4 = driver<decltype(&::glVertex4fv)>("glVertex4fv");
    for (std::size_t i = 0; i < g.positions.size() / 4; ++i) {
        if (g.setColor) color4(&g.colors[i * 4]);
        if (g.setNormal) normal3(&g.normals[i * 3]);
        if (g.setTexCoord) tex4(&g.texCoords[i * 4]);
        vertex4(&g.positions[i * 4]);
    }
    if (g.setColor) color4(g.color.data());
    if (g.setNormal) normal3(g.normal.data());
    if (g.setTexCoord) tex4(g.texCoord.data());
    g.handedOver = true;
}

void drawPair() {
    const auto count = static_cast<GLsizei>(g.positions.size() / 4);
    if (count > 0) {
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        for (GLenum array : {GL_COLOR_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_INDEX_ARRAY,
                             GL_EDGE_FLAG_ARRAY, GL_FOG_COORD_ARRAY, GL_SECONDARY_COLOR_ARRAY})
            glDisableClientState(array);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(4, GL_FLOAT, 0, g.positions.data());
        if (g.setColor) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(4, GL_FLOAT, 0, g.colors.data());
        }
        if (g.setNormal) {
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, 0, g.normals.data());
        }
        if (g.setTexCoord) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(4, GL_FLOAT, 0, g.texCoords.data());
        }
        glDrawArrays(g.mode, 0, count);
        glPopClientAttrib();
    }
    // As after the pair: the last values given are current (an array leaves
    // them undefined).
    static const auto color4 = driver<decltype(&::glColor4fv)>("glColor4fv");
    static const auto normal3 = driver<decltype(&::glNormal3fv)>("glNormal3fv");
    static const auto tex4 = driver<decltype(&::glTexCoord4fv)>("glTexCoord4fv");
    if (g.setColor) color4(g.color.data());
    if (g.setNormal) normal3(g.normal.data());
    if (g.setTexCoord) tex4(g.texCoord.data());
}

}  // namespace

ImmediateArrays::ImmediateArrays() { ++g.scopes; }

ImmediateArrays::~ImmediateArrays() {
    if (--g.scopes == 0) clearPair();
}

bool immediateArraysActive() {
    // Callers reach the glBegin of the first library that defines it.
    Dl_info reached{}, here{};
    void* begin = dlsym(RTLD_DEFAULT, "glBegin");
    return g.scopes > 0 && begin && dladdr(begin, &reached) &&
           dladdr(reinterpret_cast<void*>(&clearPair), &here) && reached.dli_fbase == here.dli_fbase;
}

}  // namespace rdhost

using rdhost::g;

RD_GL_ENTRY void glBegin(GLenum mode) {
    if (g.scopes > 0 && !g.inPair && mode <= GL_POLYGON) return rdhost::startPair(mode);
    if (rdhost::gathering()) rdhost::handOver();  // a glBegin inside a pair: the driver's error
    RD_DRIVER(glBegin);
    driver_(mode);
}

RD_GL_ENTRY void glEnd() {
    if (g.inPair) {
        const bool handedOver = g.handedOver;
        if (!handedOver) rdhost::drawPair();
        rdhost::clearPair();
        if (!handedOver) return;
    }
    RD_DRIVER(glEnd);
    driver_();
}

// Gathered inside a pair, else the driver's.
#define RD_GATHERED(name, params, gather, args) \
    RD_GL_ENTRY void name params {              \
        if (rdhost::gathering()) return gather; \
        RD_DRIVER(name);                        \
        driver_ args;                           \
    }

RD_GATHERED(glVertex2f, (GLfloat x, GLfloat y), rdhost::vertex(x, y, 0, 1), (x, y))
RD_GATHERED(glVertex2d, (GLdouble x, GLdouble y), rdhost::vertex(GLfloat(x), GLfloat(y), 0, 1), (x, y))
RD_GATHERED(glVertex2i, (GLint x, GLint y), rdhost::vertex(GLfloat(x), GLfloat(y), 0, 1), (x, y))
RD_GATHERED(glVertex2fv, (const GLfloat* v), rdhost::vertex(v[0], v[1], 0, 1), (v))
RD_GATHERED(glVertex2dv, (const GLdouble* v), rdhost::vertex(GLfloat(v[0]), GLfloat(v[1]), 0, 1), (v))
RD_GATHERED(glVertex3f, (GLfloat x, GLfloat y, GLfloat z), rdhost::vertex(x, y, z, 1), (x, y, z))
RD_GATHERED(glVertex3d, (GLdouble x, GLdouble y, GLdouble z),
            rdhost::vertex(GLfloat(x), GLfloat(y), GLfloat(z), 1), (x, y, z))
RD_GATHERED(glVertex3i, (GLint x, GLint y, GLint z), rdhost::vertex(GLfloat(x), GLfloat(y), GLfloat(z), 1),
            (x, y, z))
RD_GATHERED(glVertex3fv, (const GLfloat* v), rdhost::vertex(v[0], v[1], v[2], 1), (v))
RD_GATHERED(glVertex3dv, (const GLdouble* v), rdhost::vertex(GLfloat(v[0]), GLfloat(v[1]), GLfloat(v[2]), 1),
            (v))
RD_GATHERED(glVertex4f, (GLfloat x, GLfloat y, GLfloat z, GLfloat w), rdhost::vertex(x, y, z, w),
            (x, y, z, w))
RD_GATHERED(glVertex4d, (GLdouble x, GLdouble y, GLdouble z, GLdouble w),
            rdhost::vertex(GLfloat(x), GLfloat(y), GLfloat(z), GLfloat(w)), (x, y, z, w))
RD_GATHERED(glVertex4fv, (const GLfloat* v), rdhost::vertex(v[0], v[1], v[2], v[3]), (v))
RD_GATHERED(glVertex4dv, (const GLdouble* v),
            rdhost::vertex(GLfloat(v[0]), GLfloat(v[1]), GLfloat(v[2]), GLfloat(v[3])), (v))

RD_GATHERED(glColor3f, (GLfloat r, GLfloat gr, GLfloat b), rdhost::color(r, gr, b, 1), (r, gr, b))
RD_GATHERED(glColor3d, (GLdouble r, GLdouble gr, GLdouble b),
            rdhost::color(GLfloat(r), GLfloat(gr), GLfloat(b), 1), (r, gr, b))
RD_GATHERED(glColor3ub, (GLubyte r, GLubyte gr, GLubyte b),
            rdhost::color(r / 255.0f, gr / 255.0f, b / 255.0f, 1), (r, gr, b))
RD_GATHERED(glColor3fv, (const GLfloat* v), rdhost::color(v[0], v[1], v[2], 1), (v))
RD_GATHERED(glColor3dv, (const GLdouble* v), rdhost::color(GLfloat(v[0]), GLfloat(v[1]), GLfloat(v[2]), 1),
            (v))
RD_GATHERED(glColor3ubv, (const GLubyte* v), rdhost::color(v[0] / 255.0f, v[1] / 255.0f, v[2] / 255.0f, 1),
            (v))
RD_GATHERED(glColor4f, (GLfloat r, GLfloat gr, GLfloat b, GLfloat a), rdhost::color(r, gr, b, a),
            (r, gr, b, a))
RD_GATHERED(glColor4d, (GLdouble r, GLdouble gr, GLdouble b, GLdouble a),
            rdhost::color(GLfloat(r), GLfloat(gr), GLfloat(b), GLfloat(a)), (r, gr, b, a))
RD_GATHERED(glColor4ub, (GLubyte r, GLubyte gr, GLubyte b, GLubyte a),
            rdhost::color(r / 255.0f, gr / 255.0f, b / 255.0f, a / 255.0f), (r, gr, b, a))
RD_GATHERED(glColor4fv, (const GLfloat* v), rdhost::color(v[0], v[1], v[2], v[3]), (v))
RD_GATHERED(glColor4dv, (const GLdouble* v),
            rdhost::color(GLfloat(v[0]), GLfloat(v[1]), GLfloat(v[2]), GLfloat(v[3])), (v))
RD_GATHERED(glColor4ubv, (const GLubyte* v),
            rdhost::color(v[0] / 255.0f, v[1] / 255.0f, v[2] / 255.0f, v[3] / 255.0f), (v))

RD_GATHERED(glNormal3f, (GLfloat x, GLfloat y, GLfloat z), rdhost::normal(x, y, z), (x, y, z))
RD_GATHERED(glNormal3d, (GLdouble x, GLdouble y, GLdouble z),
            rdhost::normal(GLfloat(x), GLfloat(y), GLfloat(z)), (x, y, z))
RD_GATHERED(glNormal3fv, (const GLfloat* v), rdhost::normal(v[0], v[1], v[2]), (v))
RD_GATHERED(glNormal3dv, (const GLdouble* v), rdhost::normal(GLfloat(v[0]), GLfloat(v[1]), GLfloat(v[2])),
            (v))

RD_GATHERED(glTexCoord1f, (GLfloat s), rdhost::texCoord(s, 0, 0, 1), (s))
RD_GATHERED(glTexCoord2f, (GLfloat s, GLfloat t), rdhost::texCoord(s, t, 0, 1), (s, t))
RD_GATHERED(glTexCoord2d, (GLdouble s, GLdouble t), rdhost::texCoord(GLfloat(s), GLfloat(t), 0, 1), (s, t))
RD_GATHERED(glTexCoord2fv, (const GLfloat* v), rdhost::texCoord(v[0], v[1], 0, 1), (v))
RD_GATHERED(glTexCoord3f, (GLfloat s, GLfloat t, GLfloat r), rdhost::texCoord(s, t, r, 1), (s, t, r))
RD_GATHERED(glTexCoord4f, (GLfloat s, GLfloat t, GLfloat r, GLfloat q), rdhost::texCoord(s, t, r, q),
            (s, t, r, q))
RD_GATHERED(glTexCoord4fv, (const GLfloat* v), rdhost::texCoord(v[0], v[1], v[2], v[3]), (v))

// Calls this file does not gather: inside a pair they hand it to the driver.
#define RD_HANDS_OVER(name, params, args)            \
    RD_GL_ENTRY void name params {                   \
        if (rdhost::gathering()) rdhost::handOver(); \
        RD_DRIVER(name);                             \
        driver_ args;                                \
    }

RD_HANDS_OVER(glMaterialf, (GLenum face, GLenum pname, GLfloat param), (face, pname, param))
RD_HANDS_OVER(glMaterialfv, (GLenum face, GLenum pname, const GLfloat* params), (face, pname, params))
RD_HANDS_OVER(glMateriali, (GLenum face, GLenum pname, GLint param), (face, pname, param))
RD_HANDS_OVER(glMaterialiv, (GLenum face, GLenum pname, const GLint* params), (face, pname, params))
RD_HANDS_OVER(glEdgeFlag, (GLboolean flag), (flag))
RD_HANDS_OVER(glEdgeFlagv, (const GLboolean* flag), (flag))
RD_HANDS_OVER(glEvalCoord1f, (GLfloat u), (u))
RD_HANDS_OVER(glEvalCoord1d, (GLdouble u), (u))
RD_HANDS_OVER(glEvalCoord2f, (GLfloat u, GLfloat v), (u, v))
RD_HANDS_OVER(glEvalCoord2d, (GLdouble u, GLdouble v), (u, v))
RD_HANDS_OVER(glEvalCoord1fv, (const GLfloat* u), (u))
RD_HANDS_OVER(glEvalCoord2fv, (const GLfloat* u), (u))
RD_HANDS_OVER(glEvalPoint1, (GLint i), (i))
RD_HANDS_OVER(glEvalPoint2, (GLint i, GLint j), (i, j))
RD_HANDS_OVER(glArrayElement, (GLint i), (i))
RD_HANDS_OVER(glCallList, (GLuint list), (list))
RD_HANDS_OVER(glCallLists, (GLsizei n, GLenum type, const GLvoid* lists), (n, type, lists))
