// One emulated USB device node (/dev/bus/usb/BBB/DDD) as the kernel's usbfs answers a program
// that opened it: the ioctl handler umockdev calls for each usbdevfs request of that program.
//
// It answers what libusb asks of a device it controls: the capabilities, the driver bound to an
// interface, claiming and releasing interface 0, setting its alternate setting 0, the connection
// information, and control URBs, submitted, reaped and discarded. GET_DESCRIPTOR is answered
// from the device's descriptors; every other control request goes to the simulated unit the node
// stands for (a link the project's simulated bus opens by the unit's path), so the DFU device
// behind the node is the one the other tests use. Once the device is gone from the bus every
// request fails with ENODEV, as usbfs does after a disconnect; URBs that completed before can
// still be reaped.
//
// Used on the thread that iterates the test bed's main context only.
#pragma once

#include "UsbDescriptors.h"

#include "platform/SimulatedBus.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace OrvTest
{
class UsbDevfsDevice
{
public:
    // The node of the device numbered devnum, standing for the simulated device at path.
    UsbDevfsDevice(std::wstring path, UsbDescriptors descriptors, unsigned devnum);
    ~UsbDevfsDevice();
    UsbDevfsDevice(const UsbDevfsDevice&) = delete;
    UsbDevfsDevice& operator=(const UsbDevfsDevice&) = delete;

    // The handler to attach to the node.
    UMockdevIoctlBase* Handler() const { return mHandler; }
    // The device has left the bus.
    void MarkGone() { mGone = true; }

private:
    struct Urb
    {
        UMockdevIoctlData* data = nullptr; // the client's usbdevfs_urb, resolved
        int status = 0;
        int actualLength = 0;
    };
    // What one opened file of a program holds: its link to the unit, its URBs.
    struct Client
    {
        std::shared_ptr<OrvPlatform::SimulatedUsbLink> link;
        std::deque<Urb> completed;
        std::vector<Urb> pending; // not answered (the unit let the request time out)
        bool claimed = false;
    };

    static int OnIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, void* self);
    static void OnVanished(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, void* self);

    // The errno of the request (0 on success) and the value ioctl returns.
    int Handle(UMockdevIoctlClient* client, long& result);
    int Submit(Client& state, UMockdevIoctlData* argument);
    int Reap(Client& state, UMockdevIoctlData* argument);
    int Discard(Client& state, UMockdevIoctlData* argument);
    // The client's link to the unit, opened at its first use; null when the unit is not there.
    OrvPlatform::SimulatedUsbLink* Link(Client& state);
    void Release(Urb& urb);

    const std::wstring mPath;
    const UsbDescriptors mDescriptors;
    const unsigned mDevnum;
    UMockdevIoctlBase* mHandler = nullptr;
    std::map<UMockdevIoctlClient*, Client> mClients;
    bool mGone = false;
};
} // namespace OrvTest
