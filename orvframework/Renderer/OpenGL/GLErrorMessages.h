// The message boxes the OpenGL back-end shows when it cannot set OpenGL up: a step's text with
// the advice to update the video driver appended, under the caption "OpenGL Error". The texts
// come from the framework's string table, in English where the table has none.
#pragma once

#include "Utilities/Storage/StringT.h"
#include "platform/Types.h"

namespace Orv
{
// The ids of the texts.
constexpr const wchar_t* kGLErrorCaption = L"GL_ERROR_CAPTION";
constexpr const wchar_t* kGLErrorUpdateDriver = L"GL_ERROR_UPDATE_DRIVER";
constexpr const wchar_t* kGLErrorChoosePixelFormat = L"GL_ERROR_MESSAGE_CHOOSE_PIXEL_FORMAT";
constexpr const wchar_t* kGLErrorSetPixelFormat = L"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT";
constexpr const wchar_t* kGLErrorCreateContext = L"GL_ERROR_MESSAGE_CREATE_CONTEXT";
// The next two are formats: "%d" stands for the error number, "%s" for the system's text of it.
constexpr const wchar_t* kGLErrorGetProcAddress = L"GL_ERROR_MESSAGE_GET_PROC_ADDRESS";
constexpr const wchar_t* kGLErrorMakeContextCurrent = L"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT";

// The text of an id: the framework string table's, else the English one (empty for an id that
// is none of the above).
WString GetGLErrorText(const wchar_t* id);

// Shows the step's text and the advice in a box with the exclamation icon.
void ShowGLError(const wchar_t* messageId);
// Shows the step's format and the advice, with the error number and the system's text of it put
// in (at most 179 characters in all), in a box without icon.
void ShowGLSystemError(const wchar_t* formatId, DWORD error);
// The format with the error number for "%d" and the text for "%s" ("%%" gives "%"; any other
// use of "%" stays as it is), cut to at most limit characters.
WString FormatGLSystemError(const WString& format, DWORD error, const WString& text, size_t limit);
} // namespace Orv
