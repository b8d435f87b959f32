#include "UpdaterHost.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace
{
// The folder of the running program.
Orv::WString ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
    {
        return Orv::WString(L".");
    }
    return Orv::WString(program.parent_path().wstring().c_str());
}

// The folder without a trailing separator (the root stays as it is).
Orv::WString WithoutTrailingSeparator(Orv::WString folder)
{
    while (folder.GetLength() > 1 &&
           folder.GetBuffer()[folder.GetLength() - 1] == Orv::kPathSeparator)
    {
        folder = folder.Left(static_cast<int>(folder.GetLength()) - 1);
    }
    return folder;
}
} // namespace

Orv::RCPtr<UpdaterHost> UpdaterHost::Create(const Orv::WString& defaultFolder)
{
    return Orv::RCPtr<UpdaterHost>(new UpdaterHost(defaultFolder));
}

UpdaterHost::UpdaterHost(const Orv::WString& defaultFolder)
    : mDefaultFolder(
          WithoutTrailingSeparator(defaultFolder.IsEmpty() ? ProgramFolder() : defaultFolder))
{
}

Orv::WString UpdaterHost::ToString() const
{
    return Orv::WString(L"UpdaterHost");
}

void UpdaterHost::GetDefaultFolder(Orv::WString& folder) const
{
    folder = mDefaultFolder;
}

bool UpdaterHost::StartUpdate() const
{
    std::function<void()> start;
    {
        Orv::ScopedLock<Orv::Mutex> guard(mLock);
        start = mStartUpdate;
    }
    // Called without the lock: the update may register another function as it runs.
    if (!start)
    {
        return false;
    }
    start();
    return true;
}

std::function<void()> UpdaterHost::SetStartUpdate(std::function<void()> start)
{
    Orv::ScopedLock<Orv::Mutex> guard(mLock);
    std::swap(start, mStartUpdate);
    return start;
}

bool UpdaterHost::IsQuietStop(ORVRESULT result)
{
    const auto code = static_cast<std::uint32_t>(result);
    return code == 0x8000A020u || (code >= 0x8000A000u && code <= 0x8000A003u) ||
           code == 0x8000A010u;
}
