// Debugger output. No debugger listens here: the text goes to the process's standard error
// instead, unchanged and unbuffered, so that it keeps its place among other diagnostics.
#pragma once

#include "platform/Types.h"

// Writes the text up to its terminator; a null text writes nothing.
void OutputDebugStringA(LPCSTR text);
// The wide text in UTF-8 (a value that is no Unicode scalar value becomes U+FFFD).
void OutputDebugStringW(LPCWSTR text);
