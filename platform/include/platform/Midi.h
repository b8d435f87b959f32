// Multimedia MIDI services: device lists, output (short and system-exclusive messages), input
// (short messages and system-exclusive buffers) with their callbacks, and the timer resolution
// calls.
//
// Device ids count from 0 up to the number of devices minus 1 in the order the system lists the
// ports; a device's product name (szPname) is its name, cut to MAXPNAMELEN - 1 characters. The
// ports come from the ALSA sequencer or, when the simulated devices are active (see
// SimulatedDevices.h), from the simulated devices. Without a sequencer the lists are empty and
// every open fails with MMSYSERR_BADDEVICEID.
//
// Only CALLBACK_NULL and CALLBACK_FUNCTION are supported (other callback kinds give
// MMSYSERR_INVALFLAG). MOM_OPEN / MIM_OPEN and MOM_CLOSE / MIM_CLOSE are called on the thread
// that opens or closes. Every other callback runs on a thread of the layer's own, one per open
// handle, with no lock of the layer held: a callback may prepare headers and add buffers, but
// must not close or reset its own handle.
//
// Output: midiOutShortMsg sends at once and returns when the message is sent; it fails with
// MIDIERR_NOTREADY while a system-exclusive block is being sent. midiOutLongMsg queues a
// prepared header; the blocks are sent in order and each is returned with MHDR_DONE set and a
// MOM_DONE callback (dwParam1 = the header). midiOutReset returns every queued header (MOM_DONE)
// and stops a block still being sent. A header in the queue cannot be unprepared
// (MIDIERR_STILLPLAYING) and a handle with queued headers cannot be closed
// (MIDIERR_STILLPLAYING).
//
// Input: nothing is delivered before midiInStart. Short messages arrive with MIM_DATA (dwParam1
// = the message bytes, first byte lowest, running status expanded; dwParam2 = milliseconds since
// midiInStart); with MIDI_IO_STATUS, MIM_MOREDATA when more input is already waiting. A
// system-exclusive message fills the added buffers in order; a buffer is returned with
// MIM_LONGDATA (dwParam1 = the header, dwBytesRecorded set, MHDR_DONE set) when it is full or
// the message ends (0xF7). A message broken off by another status byte returns its buffer with
// MIM_LONGERROR. System-exclusive bytes that find no buffer are lost. A data byte without a
// status gives MIM_ERROR. midiInStop returns a partly filled buffer; midiInReset stops input
// and returns every buffer (MIM_LONGDATA).
#pragma once

#include "platform/Types.h"

using MMRESULT = UINT;
using MMVERSION = UINT;

struct HMIDIIN__;
using HMIDIIN = HMIDIIN__*;
struct HMIDIOUT__;
using HMIDIOUT = HMIDIOUT__*;
using LPHMIDIIN = HMIDIIN*;
using LPHMIDIOUT = HMIDIOUT*;

constexpr UINT MAXPNAMELEN = 32;

// Results.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMSYSERR_HANDLEBUSY = 12;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
constexpr MMRESULT MIDIERR_NOMAP = 66;
constexpr MMRESULT MIDIERR_NOTREADY = 67;
constexpr MMRESULT MIDIERR_NODEVICE = 68;
constexpr MMRESULT MIDIERR_INVALIDSETUP = 69;
constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT TIMERR_NOCANDO = 97;

// Open flags.
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_WINDOW = 0x00010000;
constexpr DWORD CALLBACK_TASK = 0x00020000;
constexpr DWORD CALLBACK_THREAD = CALLBACK_TASK;
constexpr DWORD CALLBACK_FUNCTION = 0x00030000;
constexpr DWORD CALLBACK_EVENT = 0x00050000;
constexpr DWORD MIDI_IO_STATUS = 0x00000020;

// Callback messages.
constexpr UINT MIM_OPEN = 0x3C1;
constexpr UINT MIM_CLOSE = 0x3C2;
constexpr UINT MIM_DATA = 0x3C3;
constexpr UINT MIM_LONGDATA = 0x3C4;
constexpr UINT MIM_ERROR = 0x3C5;
constexpr UINT MIM_LONGERROR = 0x3C6;
constexpr UINT MOM_OPEN = 0x3C7;
constexpr UINT MOM_CLOSE = 0x3C8;
constexpr UINT MOM_DONE = 0x3C9;
constexpr UINT MIM_MOREDATA = 0x3CC;

// Header flags.
constexpr DWORD MHDR_DONE = 0x00000001;
constexpr DWORD MHDR_PREPARED = 0x00000002;
constexpr DWORD MHDR_INQUEUE = 0x00000004;
constexpr DWORD MHDR_ISSTRM = 0x00000008;

// Device technologies and support flags of the capabilities.
constexpr WORD MOD_MIDIPORT = 1;
constexpr DWORD MIDICAPS_VOLUME = 0x0001;

struct MIDIHDR
{
    LPSTR lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    DWORD_PTR dwUser;
    DWORD dwFlags;
    MIDIHDR* lpNext;
    DWORD_PTR reserved;
    DWORD dwOffset;
    DWORD_PTR dwReserved[8];
};
using LPMIDIHDR = MIDIHDR*;

struct MIDIOUTCAPSW
{
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    WCHAR szPname[MAXPNAMELEN];
    WORD wTechnology;
    WORD wVoices;
    WORD wNotes;
    WORD wChannelMask;
    DWORD dwSupport;
};
using LPMIDIOUTCAPSW = MIDIOUTCAPSW*;

struct MIDIINCAPSW
{
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    WCHAR szPname[MAXPNAMELEN];
    DWORD dwSupport;
};
using LPMIDIINCAPSW = MIDIINCAPSW*;

// The callback of CALLBACK_FUNCTION (for input the handle is an HMIDIIN, for output an
// HMIDIOUT).
using MIDICALLBACK = void(CALLBACK*)(HANDLE handle, UINT message, DWORD_PTR instance,
                                     DWORD_PTR param1, DWORD_PTR param2);

// Output.
UINT midiOutGetNumDevs();
// uDeviceID is a device id or an open HMIDIOUT (MMSYSERR_NODRIVER when its device is gone).
// cbmoc is the size of the record; a shorter size receives the first cbmoc bytes.
MMRESULT midiOutGetDevCapsW(UINT_PTR uDeviceID, LPMIDIOUTCAPSW pmoc, UINT cbmoc);
MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen);
MMRESULT midiOutClose(HMIDIOUT hmo);
MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg);
MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiOutLongMsg(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiOutReset(HMIDIOUT hmo);

// Input.
UINT midiInGetNumDevs();
MMRESULT midiInGetDevCapsW(UINT_PTR uDeviceID, LPMIDIINCAPSW pmic, UINT cbmic);
MMRESULT midiInOpen(LPHMIDIIN phmi, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                    DWORD fdwOpen);
MMRESULT midiInClose(HMIDIIN hmi);
MMRESULT midiInPrepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiInUnprepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiInAddBuffer(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh);
MMRESULT midiInStart(HMIDIIN hmi);
MMRESULT midiInStop(HMIDIIN hmi);
MMRESULT midiInReset(HMIDIIN hmi);

// Timer resolution. Timers here always run at the best resolution the system has: the calls
// only check their argument (a period of 1 ms or more) and keep count; TIMERR_NOCANDO for 0 and
// for an end without a matching begin.
MMRESULT timeBeginPeriod(UINT uPeriod);
MMRESULT timeEndPeriod(UINT uPeriod);
