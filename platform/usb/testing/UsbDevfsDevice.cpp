#include "UsbDevfsDevice.h"

#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace OrvTest
{
namespace
{
constexpr std::uint8_t kStandardDeviceToHost = 0x80;
constexpr std::uint8_t kGetDescriptor = 6;
constexpr std::size_t kSetupSize = 8;

// The client's memory the argument points to, size bytes of it; null when it cannot be read.
UMockdevIoctlData* Resolve(UMockdevIoctlData* data, std::size_t offset, std::size_t size)
{
    GError* error = nullptr;
    UMockdevIoctlData* resolved = umockdev_ioctl_data_resolve(data, offset, size, &error);
    if (error != nullptr)
    {
        g_error_free(error);
        return nullptr;
    }
    return resolved;
}

// The URB status of a request the unit answered with this error (WinUsb.h's codes, as the
// simulated link gives them).
int UrbStatus(DWORD error)
{
    switch (error)
    {
        case ERROR_SUCCESS:
            return 0;
        case ERROR_GEN_FAILURE:
            return -EPIPE; // stalled
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_FILE_NOT_FOUND:
            return -ESHUTDOWN; // the device went while the URB was in flight
        default:
            return -EPROTO;
    }
}
} // namespace

UsbDevfsDevice::UsbDevfsDevice(std::wstring path, UsbDescriptors descriptors, unsigned devnum)
    : mPath(std::move(path))
    , mDescriptors(std::move(descriptors))
    , mDevnum(devnum)
    , mHandler(umockdev_ioctl_base_new())
{
    g_signal_connect(mHandler, "handle-ioctl", G_CALLBACK(&UsbDevfsDevice::OnIoctl), this);
    g_signal_connect(mHandler, "client-vanished", G_CALLBACK(&UsbDevfsDevice::OnVanished), this);
}

UsbDevfsDevice::~UsbDevfsDevice()
{
    g_signal_handlers_disconnect_by_data(mHandler, this);
    for (auto& [client, state] : mClients)
    {
        for (Urb& urb : state.completed)
        {
            Release(urb);
        }
        for (Urb& urb : state.pending)
        {
            Release(urb);
        }
    }
    g_object_unref(mHandler);
}

void UsbDevfsDevice::Release(Urb& urb)
{
    if (urb.data != nullptr)
    {
        g_object_unref(urb.data);
        urb.data = nullptr;
    }
}

int UsbDevfsDevice::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    long result = -1;
    int error = EIO;
    try
    {
        error = static_cast<UsbDevfsDevice*>(self)->Handle(client, result);
    }
    catch (...)
    {
        // Nothing crosses back into the C library: the request fails.
        result = -1;
        error = EIO;
    }
    umockdev_ioctl_client_complete(client, error == 0 ? result : -1, error);
    return TRUE;
}

void UsbDevfsDevice::OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto* device = static_cast<UsbDevfsDevice*>(self);
    const auto found = device->mClients.find(client);
    if (found == device->mClients.end())
    {
        return;
    }
    for (Urb& urb : found->second.completed)
    {
        device->Release(urb);
    }
    for (Urb& urb : found->second.pending)
    {
        device->Release(urb);
    }
    device->mClients.erase(found);
}

OrvPlatform::SimulatedUsbLink* UsbDevfsDevice::Link(Client& state)
{
    if (!state.link)
    {
        DWORD error = ERROR_SUCCESS;
        state.link = OrvPlatform::SimulatedBus::OpenUsbDevice(mPath, error);
    }
    return state.link.get();
}

int UsbDevfsDevice::Handle(UMockdevIoctlClient* client, long& result)
{
    Client& state = mClients[client];
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    result = 0;
    if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY)
    {
        return Reap(state, argument);
    }
    if (mGone)
    {
        return ENODEV;
    }
    switch (request)
    {
        case USBDEVFS_GET_CAPABILITIES:
        {
            UMockdevIoctlData* caps = Resolve(argument, 0, sizeof(std::uint32_t));
            if (caps == nullptr)
            {
                return EFAULT;
            }
            const std::uint32_t value = USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
                                        USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                        USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
            std::memcpy(caps->data, &value, sizeof(value));
            g_object_unref(caps);
            return 0;
        }
        case USBDEVFS_GETDRIVER:
        {
            UMockdevIoctlData* data = Resolve(argument, 0, sizeof(usbdevfs_getdriver));
            if (data == nullptr)
            {
                return EFAULT;
            }
            auto* driver = reinterpret_cast<usbdevfs_getdriver*>(data->data);
            // In normal mode the system's MIDI class driver has the interfaces; nothing has the
            // bootloader's.
            const bool bound = !mDescriptors.IsDfu() && driver->interface < 2;
            if (bound)
            {
                std::strncpy(driver->driver, "snd-usb-audio", sizeof(driver->driver) - 1);
            }
            g_object_unref(data);
            return bound ? 0 : ENODATA;
        }
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE:
        {
            UMockdevIoctlData* data = Resolve(argument, 0, sizeof(unsigned int));
            if (data == nullptr)
            {
                return EFAULT;
            }
            unsigned int interface = 0;
            std::memcpy(&interface, data->data, sizeof(interface));
            g_object_unref(data);
            if (interface != 0)
            {
                return ENOENT;
            }
            if (request == USBDEVFS_RELEASEINTERFACE)
            {
                if (!state.claimed)
                {
                    return EINVAL;
                }
                state.claimed = false;
                return 0;
            }
            if (!mDescriptors.IsDfu())
            {
                return EBUSY; // the class driver has it
            }
            OrvPlatform::SimulatedUsbLink* link = Link(state);
            if (link == nullptr)
            {
                return ENODEV;
            }
            const DWORD claimed = link->Claim();
            if (claimed == ERROR_DEVICE_NOT_CONNECTED || claimed == ERROR_FILE_NOT_FOUND)
            {
                return ENODEV;
            }
            if (claimed != ERROR_SUCCESS)
            {
                return EBUSY;
            }
            state.claimed = true;
            return 0;
        }
        case USBDEVFS_SETINTERFACE:
        {
            UMockdevIoctlData* data = Resolve(argument, 0, sizeof(usbdevfs_setinterface));
            if (data == nullptr)
            {
                return EFAULT;
            }
            const auto* setting = reinterpret_cast<const usbdevfs_setinterface*>(data->data);
            const bool valid = setting->interface == 0 && setting->altsetting == 0;
            g_object_unref(data);
            return valid ? 0 : EINVAL;
        }
        case USBDEVFS_CONNECTINFO:
        {
            UMockdevIoctlData* data = Resolve(argument, 0, sizeof(usbdevfs_connectinfo));
            if (data == nullptr)
            {
                return EFAULT;
            }
            auto* info = reinterpret_cast<usbdevfs_connectinfo*>(data->data);
            info->devnum = mDevnum;
            info->slow = 0; // full speed
            g_object_unref(data);
            return 0;
        }
        case USBDEVFS_SUBMITURB:
            return Submit(state, argument);
        case USBDEVFS_DISCARDURB:
            return Discard(state, argument);
        default:
            return ENOTTY;
    }
}

int UsbDevfsDevice::Submit(Client& state, UMockdevIoctlData* argument)
{
    UMockdevIoctlData* data = Resolve(argument, 0, sizeof(usbdevfs_urb));
    if (data == nullptr)
    {
        return EFAULT;
    }
    Urb urb;
    urb.data = data;
    const auto* request = reinterpret_cast<const usbdevfs_urb*>(data->data);
    // Only the control endpoint exists on these devices.
    if (request->type != USBDEVFS_URB_TYPE_CONTROL || request->endpoint != 0 ||
        request->buffer_length < static_cast<int>(kSetupSize))
    {
        Release(urb);
        return EINVAL;
    }
    UMockdevIoctlData* buffer = Resolve(data, offsetof(usbdevfs_urb, buffer),
                                        static_cast<std::size_t>(request->buffer_length));
    if (buffer == nullptr)
    {
        Release(urb);
        return EFAULT;
    }
    std::uint8_t* bytes = buffer->data;
    OrvPlatform::SimulatedSetup setup;
    setup.requestType = bytes[0];
    setup.request = bytes[1];
    setup.value = static_cast<std::uint16_t>(bytes[2] | bytes[3] << 8);
    setup.index = static_cast<std::uint16_t>(bytes[4] | bytes[5] << 8);
    setup.length = static_cast<std::uint16_t>(bytes[6] | bytes[7] << 8);
    const int room = request->buffer_length - static_cast<int>(kSetupSize);
    if (setup.length > room)
    {
        g_object_unref(buffer);
        Release(urb);
        return EINVAL;
    }
    bool answered = true;
    if (setup.requestType == kStandardDeviceToHost && setup.request == kGetDescriptor)
    {
        std::vector<std::uint8_t> answer;
        if (mDescriptors.Answer(setup.value, setup.length, answer))
        {
            std::memcpy(bytes + kSetupSize, answer.data(), answer.size());
            urb.actualLength = static_cast<int>(answer.size());
        }
        else
        {
            urb.status = -EPIPE;
        }
    }
    else if (OrvPlatform::SimulatedUsbLink* link = Link(state))
    {
        std::uint32_t transferred = 0;
        const DWORD error = link->ControlTransfer(setup, bytes + kSetupSize, transferred);
        // A request the unit lets time out is never answered: the program gives up on it and
        // discards it.
        answered = error != ERROR_SEM_TIMEOUT;
        urb.status = UrbStatus(error);
        urb.actualLength = error == ERROR_SUCCESS ? static_cast<int>(transferred) : 0;
    }
    else
    {
        urb.status = -ESHUTDOWN;
    }
    g_object_unref(buffer);
    if (answered)
    {
        state.completed.push_back(urb);
    }
    else
    {
        state.pending.push_back(urb);
    }
    return 0;
}

int UsbDevfsDevice::Reap(Client& state, UMockdevIoctlData* argument)
{
    if (state.completed.empty())
    {
        return mGone ? ENODEV : EAGAIN;
    }
    UMockdevIoctlData* target = Resolve(argument, 0, sizeof(void*));
    if (target == nullptr)
    {
        return EFAULT;
    }
    Urb urb = state.completed.front();
    state.completed.pop_front();
    auto* done = reinterpret_cast<usbdevfs_urb*>(urb.data->data);
    done->status = urb.status;
    done->actual_length = urb.actualLength;
    // The program learns which of its URBs is done by the pointer written back to it.
    const bool set = umockdev_ioctl_data_set_ptr(target, 0, urb.data);
    g_object_unref(target);
    Release(urb);
    return set ? 0 : EFAULT;
}

int UsbDevfsDevice::Discard(Client& state, UMockdevIoctlData* argument)
{
    // The argument is the address of the URB in the program.
    std::uint64_t address = 0;
    std::memcpy(
        &address, argument->data,
        std::min<std::size_t>(sizeof(address), static_cast<std::size_t>(argument->data_len)));
    for (auto at = state.pending.begin(); at != state.pending.end(); ++at)
    {
        if (at->data->client_addr == address)
        {
            Urb urb = *at;
            state.pending.erase(at);
            urb.status = -ENOENT;
            urb.actualLength = 0;
            state.completed.push_back(urb);
            return 0;
        }
    }
    // Not in flight (done already, or never submitted).
    return EINVAL;
}
} // namespace OrvTest
