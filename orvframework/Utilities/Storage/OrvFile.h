// Files and paths: Orv::File, a binary file on a system file descriptor whose input and output
// failures are thrown, and the free functions for folders, file names and folder listings.
//
// Paths are wide strings; they reach the system as UTF-8. Where a folder and a name are joined,
// the platform's separator (kPathSeparator) goes between them.
#pragma once

#include "ObjectBase/Holder.h"
#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/Array.h"
#include "Utilities/Storage/PathSeparator.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
class File
{
public:
    // Default flags: no effect of their own; the file is opened read-only.
    static constexpr unsigned int kDefault = 0x10000;
    // Read and write; without it Write throws.
    static constexpr unsigned int kReadWrite = 0x20000;
    // With kCreate: fail when the file exists already.
    static constexpr unsigned int kExclusive = 0x40000;
    // Create the file when it does not exist.
    static constexpr unsigned int kCreate = 0x80000;
    // Delete the file when the last copy of this File closes it.
    static constexpr unsigned int kDeleteOnClose = 0x100000;
    // Read and Write position: the current one, no seek.
    static constexpr unsigned int kCurrentPosition = 0xFFFFFFFFu;

    File();
    // Opens at once; a file that cannot be opened leaves the object closed (see Open).
    File(const WString& first, const WString& second, unsigned int flags = kDefault);
    // Copies share the open descriptor.
    File(const File& other) = default;
    File& operator=(const File& other) = default;
    virtual ~File();

    // second not empty: opens first + separator + second; else opens the path first. S_OK, 1 when
    // this object is open already (nothing changes), E_FAIL when the file cannot be opened (the
    // object stays closed). A folder is not a file: opening one fails. Throws "invalid pathname"
    // when both strings are empty.
    virtual ORVRESULT Open(const WString& first, const WString& second, unsigned int flags);
    // Closes the descriptor (and with kDeleteOnClose deletes the file) when no other copy shares
    // it; while copies share it, nothing happens. Returns 0.
    virtual ORVRESULT Close();
    // Reads up to count bytes at position (kCurrentPosition: where the last operation ended);
    // returns the bytes read, fewer only at the end of the file. Throws "lseek" when the position
    // cannot be reached and "read" when the system read fails.
    virtual int Read(void* buffer, unsigned int count, unsigned int position);
    // Writes count bytes at position; returns count. Throws "file is read only" without
    // kReadWrite, "lseek" and "write" as Read does.
    virtual int Write(const void* buffer, unsigned int count, unsigned int position);
    // Moves the position (origin SEEK_SET, SEEK_CUR or SEEK_END); the new position, -1 on failure.
    virtual long Seek(long offset, int origin);
    // Size in bytes; 0 while the file is not open. Throws "fstat" when the size cannot be read.
    long long GetLength() const;

    bool IsOpen() const { return !mDescriptor.IsNull(); }
    const WString& GetName() const { return mName; }
    const WString& GetPath() const { return mPath; }
    unsigned int GetFlags() const { return mFlags; }

private:
    int Descriptor(const char* function) const;

    ConstRCPtr<LHolder<int>> mDescriptor;
    WString mName;
    WString mPath;
    unsigned int mFlags = kDefault;
};

// An existing folder. One trailing separator is ignored, except on the root folder itself.
bool FolderExists(const WString& path);
// Something that exists and is not a folder.
bool FileExists(const WString& path);
// 1 when the folder exists, E_FAIL when the path is a file or the folder cannot be made, else
// makes it with its missing parents: S_OK.
ORVRESULT CreateFolderIfMissing(const WString& path);
// Makes every folder along the path (lastIsFile: all but the last component). true when the
// path (lastIsFile: its folder) is then accessible; a path without a separator and lastIsFile
// gives true.
bool CreateFolderChain(const wchar_t* path, bool lastIsFile);
// The canonical form of an existing path (links resolved, "." and ".." removed); any other path
// unchanged.
WString GetLongPath(const WString& path);
// Appends folder + separator + name to out for every entry of the folder that is not a folder and
// whose name matches the pattern ('*' any run of characters, '?' one character, letters in
// either case; a pattern ending in ".*" also takes names without an extension). Returns the
// number of strings in out, E_NOTIMPL when the folder does not exist, E_FAIL when the folder
// cannot be listed.
ORVRESULT ListFilesInFolder(const WString& folder, const WString& pattern, Array<WString>& out);
// The name with each of \ / : * ? " < > | & ; , ^ ( ) replaced by '_'.
WString MakeValidFileName(const WString& name);
// The part before the last separator ("/" for a name in the root folder); the whole path when it
// has none.
WString GetPathFolder(const WString& path);
// The part after the last separator; the whole path when it has none.
WString GetPathFileName(const WString& path);
} // namespace Orv
