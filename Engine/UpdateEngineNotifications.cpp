// The engine's notifications, posted to the "application" notification center so that the user
// interface receives them on its own thread, whichever thread posts them.
#include "UpdateEngineInterface.h"

#include "UpdateNotificationData.h"
#include "notification/Notification.h"
#include "notification/NotificationCenterManager.h"

const wchar_t* const LUpdateEngineInterface::kDeviceStateChange = L"NID_DEVICE_STATE_CHANGE";
const wchar_t* const LUpdateEngineInterface::kFirmwareFileStateChange =
    L"NID_FIRMWARE_FILE_STATE_CHANGE";
const wchar_t* const LUpdateEngineInterface::kFirmwareUpdateCompleted =
    L"NID_FIRMWARE_UPDATE_COMPLETED";
const wchar_t* const LUpdateEngineInterface::kFirmwareUpdateProgress =
    L"NID_FIRMWARE_UPDATE_PROGRESS";
const wchar_t* const LUpdateEngineInterface::kFoundDeviceListChange =
    L"NID_FOUND_DEVICE_LIST_CHANGE";

void LUpdateEngineInterface::PostProgress(unsigned int imageIndex, double fraction, bool flagA,
                                          int value, bool flagB, const Orv::WString& text)
{
    PostNotification(kFirmwareUpdateProgress, Orv::LFirmwareUpdateProgressNotificationData::Create(
                                                  imageIndex, fraction, value, flagA, flagB, text));
}

void LUpdateEngineInterface::PostDeviceStateChange(int newState, int oldState)
{
    if (mNotificationsOn.load())
    {
        PostNotification(kDeviceStateChange,
                         Orv::LDeviceStateChangeNotificationData::Create(newState, oldState));
    }
}

void LUpdateEngineInterface::PostFileStateChange(int newState, int oldState)
{
    if (mNotificationsOn.load())
    {
        PostNotification(kFirmwareFileStateChange,
                         Orv::LFirmwareFileStateChangeNotificationData::Create(newState, oldState));
    }
}

void LUpdateEngineInterface::PostDeviceListChange()
{
    if (mNotificationsOn.load())
    {
        PostNotification(kFoundDeviceListChange, nullptr);
    }
}

void LUpdateEngineInterface::PostUpdateCompleted(bool success)
{
    if (mNotificationsOn.load())
    {
        PostNotification(kFirmwareUpdateCompleted,
                         Orv::LFirmwareUpdateCompletedNotificationData::Create(success));
    }
}

void LUpdateEngineInterface::PostNotification(const wchar_t* name,
                                              const Orv::RCPtr<Orv::LRefCountedObject>& payload)
{
    const Orv::RCPtr<Orv::LNotificationCenter> center = Orv::GetApplicationNotificationCenter();
    const Orv::RCPtr<Orv::LNotification> notification = Orv::LNotification::Create(name, payload);
    if (center && notification)
    {
        center->PostNotification(notification);
    }
}
