// The program's command line as one text, the form in which the updater reads its options: the
// arguments (the program's own name first) joined with blanks, an argument that holds a blank or
// a tab, or is empty, put in double quotes. Arguments are UTF-8; bytes that are not become
// U+FFFD.
#pragma once

#include "Utilities/Storage/StringT.h"

namespace Orv
{
WString BuildCommandLine(int argc, const char* const* argv);
} // namespace Orv
