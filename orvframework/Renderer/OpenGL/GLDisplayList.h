// A range of OpenGL display lists: drawing is recorded into a list once and replayed by one call
// each time the same geometry is drawn again. The lists are deleted with the object.
//
// The lists belong to the OpenGL context current when they were recorded; that context must be
// current whenever they are recorded, called or deleted (without it nothing happens). UI thread
// only.
#pragma once

#include "ObjectBase/RCPtr.h"

#include "platform/Wgl.h"

namespace Orv
{
class LGLDisplayList : public virtual LRefCountedObject
{
public:
    static constexpr GLuint kNoLists = 0xFFFFFFFFu;

    // A new object for count lists; no OpenGL name is reserved yet.
    static RCPtr<LGLDisplayList> Create(unsigned int count);
    ~LGLDisplayList() override;
    LGLDisplayList(const LGLDisplayList&) = delete;
    LGLDisplayList& operator=(const LGLDisplayList&) = delete;

    // Opens list index for recording (reserving the range on first use): S_OK, or E_FAIL when no
    // lists could be reserved.
    ORVRESULT BeginRecord(unsigned int index);
    // Closes the list being recorded: S_OK, E_FAIL without lists.
    ORVRESULT EndRecord();
    // Replays lists first to first + count - 1: S_OK; E_FAIL without lists (or when one of them
    // is gone: the ones called before stay drawn); E_INVALIDARG when the range exceeds the
    // object's lists (nothing is called).
    ORVRESULT Call(unsigned int first, unsigned int count);

    GLuint GetBase() const { return mBase; }
    unsigned int GetCount() const { return mCount; }

private:
    explicit LGLDisplayList(unsigned int count);

    GLuint mBase = kNoLists;
    unsigned int mCount;
};
} // namespace Orv
