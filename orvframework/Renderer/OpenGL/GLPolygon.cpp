#include "Renderer/OpenGL/GLPolygon.h"

#include <array>
#include <deque>
#include <vector>

namespace Orv
{
namespace
{
struct Tessellator
{
    GLUtesselator* tess = nullptr;
    // The outline's vertices as x, y, 0 triples; GLU keeps pointers into it until the polygon
    // ends.
    std::vector<GLdouble> vertices;
    // The vertices made at crossings; a deque keeps their addresses while it grows.
    std::deque<std::array<GLdouble, 3>> made;
    GLenum error = 0;
};

Tessellator& Shared()
{
    static Tessellator tessellator;
    return tessellator;
}

void APIENTRY Combine(const GLdouble coords[3], void* [4], const GLfloat[4], void** out)
{
    // Called by GLU: nothing may be thrown through it.
    try
    {
        Tessellator& shared = Shared();
        shared.made.push_back({coords[0], coords[1], coords[2]});
        *out = shared.made.back().data();
    }
    catch (...)
    {
        *out = nullptr;
    }
}

void APIENTRY Error(GLenum error)
{
    Shared().error = error;
}

// GLU takes every callback as a function of no arguments.
template <class Function>
_GLUfuncptr AsCallback(Function* function)
{
    return reinterpret_cast<_GLUfuncptr>(reinterpret_cast<void (*)()>(function));
}
} // namespace

CGLPolygon::CGLPolygon()
{
    Tessellator& shared = Shared();
    if (shared.tess != nullptr)
    {
        return;
    }
    shared.tess = gluNewTess();
    if (shared.tess == nullptr)
    {
        return;
    }
    gluTessNormal(shared.tess, 0, 0, 1);
    gluTessProperty(shared.tess, GLU_TESS_TOLERANCE, 1.0);
    gluTessCallback(shared.tess, GLU_TESS_BEGIN, AsCallback(&glBegin));
    gluTessCallback(shared.tess, GLU_TESS_VERTEX, AsCallback(&glVertex3dv));
    gluTessCallback(shared.tess, GLU_TESS_END, AsCallback(&glEnd));
    gluTessCallback(shared.tess, GLU_TESS_COMBINE, AsCallback(&Combine));
    gluTessCallback(shared.tess, GLU_TESS_ERROR, AsCallback(&Error));
}

GLenum CGLPolygon::Tessellate(const PolylineT<float>& outline)
{
    Tessellator& shared = Shared();
    if (shared.tess == nullptr)
    {
        return GLU_OUT_OF_MEMORY;
    }
    const unsigned int count = outline.GetCount();
    if (shared.vertices.size() < 3 * static_cast<size_t>(count))
    {
        shared.vertices.resize(3 * static_cast<size_t>(count));
    }
    shared.made.clear();
    shared.error = 0;
    gluTessProperty(shared.tess, GLU_TESS_BOUNDARY_ONLY, GL_FALSE);
    gluTessBeginPolygon(shared.tess, shared.vertices.data());
    gluTessBeginContour(shared.tess);
    const PointT<float>* points = outline.GetPoints();
    for (unsigned int i = 0; i < count; ++i)
    {
        GLdouble* vertex = &shared.vertices[3 * static_cast<size_t>(i)];
        vertex[0] = points[i].x;
        vertex[1] = points[i].y;
        vertex[2] = 0.0;
        gluTessVertex(shared.tess, vertex, vertex);
    }
    gluTessEndContour(shared.tess);
    gluTessEndPolygon(shared.tess);
    shared.made.clear();
    return shared.error;
}
} // namespace Orv
