#include "UpdaterHost.h"

#include "UpdateProcessor.h"

#include <filesystem>
#include <mutex>
#include <system_error>

namespace
{
struct Host
{
    std::mutex lock;
    Orv::WString defaultFolder;
    Orv::RCPtr<LUpdateProcessor> processor;
    std::function<void()> startUpdate;
};

Host& GetHost()
{
    static Host host;
    return host;
}

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
} // namespace

void UpdaterHost::GetDefaultFolder(Orv::WString& folder)
{
    Host& host = GetHost();
    {
        std::lock_guard guard(host.lock);
        folder = host.defaultFolder;
    }
    if (folder.IsEmpty())
    {
        folder = ProgramFolder();
    }
    // Without a trailing separator (the root stays as it is).
    while (folder.GetLength() > 1 &&
           folder.GetBuffer()[folder.GetLength() - 1] == Orv::kPathSeparator)
    {
        folder = folder.Left(static_cast<int>(folder.GetLength()) - 1);
    }
}

void UpdaterHost::SetDefaultFolder(const Orv::WString& folder)
{
    Host& host = GetHost();
    std::lock_guard guard(host.lock);
    host.defaultFolder = folder;
}

Orv::RCPtr<LUpdateProcessor> UpdaterHost::GetUpdateProcessor()
{
    Host& host = GetHost();
    std::lock_guard guard(host.lock);
    return host.processor;
}

void UpdaterHost::SetUpdateProcessor(const Orv::RCPtr<LUpdateProcessor>& processor)
{
    Orv::RCPtr<LUpdateProcessor> old;
    Host& host = GetHost();
    std::lock_guard guard(host.lock);
    old = host.processor;
    host.processor = processor;
}

void UpdaterHost::StartUpdate()
{
    std::function<void()> start;
    Orv::RCPtr<LUpdateProcessor> processor;
    {
        Host& host = GetHost();
        std::lock_guard guard(host.lock);
        start = host.startUpdate;
        processor = host.processor;
    }
    if (start)
    {
        start();
    }
    else if (processor)
    {
        processor->StartUpdate();
    }
}

void UpdaterHost::SetStartUpdate(std::function<void()> start)
{
    Host& host = GetHost();
    std::lock_guard guard(host.lock);
    host.startUpdate = std::move(start);
}

bool UpdaterHost::IsQuietStop(ORVRESULT result)
{
    const auto code = static_cast<std::uint32_t>(result);
    return code == 0x8000A020u || (code >= 0x8000A000u && code <= 0x8000A003u) ||
           code == 0x8000A010u;
}
