// The payloads of the update engine's notifications.
#pragma once

#include "OrvCore.h"

#include <cstdint>

namespace Orv
{
// "NID_DEVICE_STATE_CHANGE": the new and the old device state.
class LDeviceStateChangeNotificationData : public virtual LRefCountedObject
{
public:
    static RCPtr<LDeviceStateChangeNotificationData> Create(std::int32_t newState,
                                                            std::int32_t oldState);
    std::int32_t GetNewState() const { return mNewState; }
    std::int32_t GetOldState() const { return mOldState; }
    WString ToString() const override;

private:
    LDeviceStateChangeNotificationData(std::int32_t newState, std::int32_t oldState);

    std::int32_t mNewState;
    std::int32_t mOldState;
};

// "NID_FIRMWARE_FILE_STATE_CHANGE": the new and the old file state.
class LFirmwareFileStateChangeNotificationData : public virtual LRefCountedObject
{
public:
    static RCPtr<LFirmwareFileStateChangeNotificationData> Create(std::int32_t newState,
                                                                  std::int32_t oldState);
    std::int32_t GetNewState() const { return mNewState; }
    std::int32_t GetOldState() const { return mOldState; }
    WString ToString() const override;

private:
    LFirmwareFileStateChangeNotificationData(std::int32_t newState, std::int32_t oldState);

    std::int32_t mNewState;
    std::int32_t mOldState;
};

// "NID_FIRMWARE_UPDATE_COMPLETED": whether the update succeeded.
class LFirmwareUpdateCompletedNotificationData : public virtual LRefCountedObject
{
public:
    static RCPtr<LFirmwareUpdateCompletedNotificationData> Create(bool success);
    bool GetSuccess() const { return mSuccess; }
    WString ToString() const override;

private:
    explicit LFirmwareUpdateCompletedNotificationData(bool success);

    std::uint8_t mSuccess;
};

// "NID_FIRMWARE_UPDATE_PROGRESS": the image index, the fraction done (0 to 1), a value, two flags
// and a text. The download posts index 0, value -1, flags 1 and 0 and an empty text.
class LFirmwareUpdateProgressNotificationData : public virtual LRefCountedObject
{
public:
    static RCPtr<LFirmwareUpdateProgressNotificationData> Create(std::uint32_t imageIndex,
                                                                 double fraction,
                                                                 std::int32_t value, bool flagA,
                                                                 bool flagB, const WString& text);
    std::uint32_t GetImageIndex() const { return mImageIndex; }
    double GetFraction() const { return mFraction; }
    std::int32_t GetValue() const { return mValue; }
    bool GetFlagA() const { return mFlagA != 0; }
    bool GetFlagB() const { return mFlagB != 0; }
    const WString& GetText() const { return mText; }
    WString ToString() const override;

private:
    LFirmwareUpdateProgressNotificationData(std::uint32_t imageIndex, double fraction,
                                            std::int32_t value, bool flagA, bool flagB,
                                            const WString& text);

    std::uint32_t mImageIndex;
    double mFraction;
    std::int32_t mValue;
    std::uint8_t mFlagA;
    std::uint8_t mFlagB;
    WString mText;
};
} // namespace Orv
