#include "Renderer/OpenGL/GLDisplayList.h"

#include "Renderer/OpenGL/GLErrors.h"

namespace Orv
{
RCPtr<LGLDisplayList> LGLDisplayList::Create(unsigned int count)
{
    return RCPtr<LGLDisplayList>(new LGLDisplayList(count));
}

LGLDisplayList::LGLDisplayList(unsigned int count)
    : mCount(count)
{
}

LGLDisplayList::~LGLDisplayList()
{
    if (mBase != kNoLists && glIsList(mBase))
    {
        glDeleteLists(mBase, static_cast<GLsizei>(mCount));
        DiscardGLErrors();
    }
    mBase = kNoLists;
}

ORVRESULT LGLDisplayList::BeginRecord(unsigned int index)
{
    if (mBase == kNoLists)
    {
        const GLuint base = glGenLists(static_cast<GLsizei>(mCount));
        if (base != 0)
        {
            mBase = base;
        }
    }
    if (mBase == kNoLists || !glIsList(mBase))
    {
        return E_FAIL;
    }
    glNewList(mBase + index, GL_COMPILE);
    DiscardGLErrors();
    return S_OK;
}

ORVRESULT LGLDisplayList::EndRecord()
{
    if (mBase == kNoLists || !glIsList(mBase))
    {
        return E_FAIL;
    }
    glEndList();
    DiscardGLErrors();
    return S_OK;
}

ORVRESULT LGLDisplayList::Call(unsigned int first, unsigned int count)
{
    if (mBase == kNoLists)
    {
        return E_FAIL;
    }
    if (static_cast<unsigned long long>(first) + count > mCount)
    {
        return E_INVALIDARG;
    }
    for (unsigned int i = first; i < first + count; ++i)
    {
        if (!glIsList(mBase + i))
        {
            return E_FAIL;
        }
        glCallList(mBase + i);
        DiscardGLErrors();
    }
    return S_OK;
}
} // namespace Orv
