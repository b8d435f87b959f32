#include "UpdateNotificationData.h"

namespace Orv
{
LDeviceStateChangeNotificationData::LDeviceStateChangeNotificationData(std::int32_t newState,
                                                                       std::int32_t oldState)
    : mNewState(newState)
    , mOldState(oldState)
{
}

RCPtr<LDeviceStateChangeNotificationData>
LDeviceStateChangeNotificationData::Create(std::int32_t newState, std::int32_t oldState)
{
    return RCPtr<LDeviceStateChangeNotificationData>(
        new LDeviceStateChangeNotificationData(newState, oldState));
}

WString LDeviceStateChangeNotificationData::ToString() const
{
    return WString::CreateFormatted(L"device state %d (was %d)", int(mNewState), int(mOldState));
}

LFirmwareFileStateChangeNotificationData::LFirmwareFileStateChangeNotificationData(
    std::int32_t newState, std::int32_t oldState)
    : mNewState(newState)
    , mOldState(oldState)
{
}

RCPtr<LFirmwareFileStateChangeNotificationData>
LFirmwareFileStateChangeNotificationData::Create(std::int32_t newState, std::int32_t oldState)
{
    return RCPtr<LFirmwareFileStateChangeNotificationData>(
        new LFirmwareFileStateChangeNotificationData(newState, oldState));
}

WString LFirmwareFileStateChangeNotificationData::ToString() const
{
    return WString::CreateFormatted(L"file state %d (was %d)", int(mNewState), int(mOldState));
}

LFirmwareUpdateCompletedNotificationData::LFirmwareUpdateCompletedNotificationData(bool success)
    : mSuccess(success ? 1 : 0)
{
}

RCPtr<LFirmwareUpdateCompletedNotificationData>
LFirmwareUpdateCompletedNotificationData::Create(bool success)
{
    return RCPtr<LFirmwareUpdateCompletedNotificationData>(
        new LFirmwareUpdateCompletedNotificationData(success));
}

WString LFirmwareUpdateCompletedNotificationData::ToString() const
{
    return WString(mSuccess ? L"update completed: success" : L"update completed: failure");
}

LFirmwareUpdateProgressNotificationData::LFirmwareUpdateProgressNotificationData(
    std::uint32_t imageIndex, double fraction, std::int32_t value, bool flagA, bool flagB,
    const WString& text)
    : mImageIndex(imageIndex)
    , mFraction(fraction)
    , mValue(value)
    , mFlagA(flagA ? 1 : 0)
    , mFlagB(flagB ? 1 : 0)
    , mText(text)
{
}

RCPtr<LFirmwareUpdateProgressNotificationData>
LFirmwareUpdateProgressNotificationData::Create(std::uint32_t imageIndex, double fraction,
                                                std::int32_t value, bool flagA, bool flagB,
                                                const WString& text)
{
    return RCPtr<LFirmwareUpdateProgressNotificationData>(
        new LFirmwareUpdateProgressNotificationData(imageIndex, fraction, value, flagA, flagB,
                                                    text));
}

WString LFirmwareUpdateProgressNotificationData::ToString() const
{
    return WString::CreateFormatted(L"image %u progress %f", unsigned(mImageIndex), mFraction);
}
} // namespace Orv
