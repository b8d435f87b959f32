// Device definitions and firmware versions: the ordering of versions, and the version of a device
// read from its hardware id.
#include "UpdateEngine.h"

namespace
{
unsigned int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
    {
        return static_cast<unsigned int>(c - L'0');
    }
    if (c >= L'A' && c <= L'F')
    {
        return static_cast<unsigned int>(c - L'A' + 10);
    }
    if (c >= L'a' && c <= L'f')
    {
        return static_cast<unsigned int>(c - L'a' + 10);
    }
    return 0;
}
} // namespace

bool LUpdateEngineInterface::CompareVersions(const VersionInfo& a, const VersionInfo& b)
{
    for (int i = 0; i < 3; ++i)
    {
        if (a.parts[i] != b.parts[i])
        {
            return a.parts[i] > b.parts[i];
        }
    }
    return a.parts[3] > b.parts[3];
}

void LUpdateEngine::ReadVersionFromHardwareId(const Orv::WString& hardwareId,
                                              DeviceDefinitionEx& record)
{
    unsigned int revision = 0;
    if (!record.bootloaderFound)
    {
        const int at = hardwareId.ToUpper().Find(Orv::WString(L"REV_"));
        if (at >= 0)
        {
            // A character that is no hexadecimal digit counts as 0, the end of the text too.
            const wchar_t* digits = hardwareId.GetBuffer() + at + 4;
            for (int i = 0; i < 4; ++i)
            {
                const wchar_t c = digits[0];
                revision = (revision << 4) | HexDigit(c);
                if (c != 0)
                {
                    ++digits;
                }
            }
        }
    }
    VersionInfo& version = record.firmwareVersion;
    version.parts[0] = (revision >> 12) & 15;
    version.parts[1] = (revision >> 8) & 15;
    version.parts[2] = (revision >> 4) & 15;
    version.parts[3] = revision & 15;
    if (revision == 0)
    {
        version.text = Orv::WString();
        return;
    }
    version.text = Orv::WString::CreateFormatted(L"%u%u.%u%u", version.parts[0], version.parts[1],
                                                 version.parts[2], version.parts[3]);
}
