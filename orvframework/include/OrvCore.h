// The framework core: reference-counted objects and pointers, exceptions and result codes,
// buffers and strings.
#pragma once

#include "ObjectBase/Exception.h"
#include "ObjectBase/Holder.h"
#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "ObjectBase/TypeName.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/Allocator.h"
#include "Utilities/Storage/Buffer.h"
#include "Utilities/Storage/StringT.h"
#include "Utilities/Storage/UtfConversion.h"
