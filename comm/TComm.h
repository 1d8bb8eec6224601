#pragma once
// TComm owns one serial line: it opens the device behind COM<Port>, applies the line
// settings, writes and reads bytes, and runs a watcher (TCommWatch) that reports received
// bytes and line events through OnCommReceive, OnCommEvent and OnCommTransmit.
//
// Data flow: the watcher thread moves arriving bytes into a receive queue of InQueueSize
// bytes and posts a notification through EventLoop::post; on the loop's thread DoCommReceive
// calls OnCommReceive(Sender, Size) with the number of bytes waiting, and the handler takes
// them with Read. Handlers therefore run one at a time on the loop's thread, never beside a
// timer handler. Writes never wait: what the device does not take at once queues in order
// and the watcher sends it as the line drains (a 2400 bit/s modem, CTS held low), so a slow
// line delays bytes but never loses them, and the loop's thread is never held up by it.
//
// Devices (see ComPorts.h): a tty path, "tcp:HOST:PORT", "telnet:HOST:PORT" (TCP with the
// telnet protocol, see TelnetCodec.h; the bytes the handlers read and write are the host's
// data, unchanged) or "sim:" (a socket pair whose far end goes to the SimLine given with
// setSimLine). A network line is connected in the background: Open returns at once, bytes
// written meanwhile wait in the queue, and the carrier rises when the connection is made;
// a connection that cannot be made is a lost line (see OpenFailure).
//
// Carrier: a change is reported as OnCommEvent(Sender, {evRlsd}) when evRlsd is in EventMask;
// the handler asks CarrierDetect() for the new state. Several changes between two looks of
// the watcher make one notification. A tty with modem lines reports DCD; a pseudo-terminal,
// a TCP or a telnet connection has the carrier up from Open until the far end hangs up; the
// simulated line's carrier is whatever the simulator reports (down at first). A hang-up of
// the far end or of the device (end of stream, EIO, POLLHUP) always ends with the carrier
// down, reported once as a carrier change even where the carrier was never up, and
// LineLost() tells it from a carrier drop of a line that is still there.
//
// Every member is called on the loop's thread (the thread that runs the handlers). A
// notification that was posted before Close, or before the component was destroyed, finds
// the port closed and does nothing.
#include "base/EventLoop.h"
#include "comm/CommTypes.h"
#include "comm/SimLine.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace comm {

class Device;
class TCommWatch;
struct LineState;

class TComm;
using TCommNotifyEvent = std::function<void(TComm& Sender, TCommEventMask EventMask)>;
using TCommNotifyRxTxEvent = std::function<void(TComm& Sender, std::uint16_t Size)>;

class TComm {
public:
    // `loop` must outlive the component. COMPORTS.DAT is looked up in the current folder
    // until setComPortsFolder says otherwise.
    explicit TComm(base::EventLoop& loop);
    // Closes the port when it is open.
    virtual ~TComm();
    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    // Where COMPORTS.DAT is read from at Open ("." by default).
    void setComPortsFolder(std::string folder) { comPortsFolder_ = std::move(folder); }
    // The far end for a "sim:" device; not owned, and must outlive the open port. Takes
    // effect at the next Open.
    void setSimLine(SimLine* line) { simLine_ = line; }
    // Where a tty's lock file is taken ("/var/lock"); empty takes none. Takes effect at the
    // next Open.
    void setLockFolder(std::string folder) { lockFolder_ = std::move(folder); }

    // Published properties. The setters of BaudRate, ByteSize, ParityBits, StopBits and
    // FlowControls change the device at once when the port is open (a rate the device
    // refuses is kept for the next Open). Port, BaudRateUserDefined, InQueueSize and
    // OutQueueSize take effect at the next Open. ReceiveNotifySize and SendNotifySize are
    // kept for the settings' sake; termios has no XON/XOFF thresholds to give them.
    std::uint8_t Port() const { return port_; }
    void setPort(std::uint8_t port) { port_ = port; }
    std::int32_t BaudRate() const { return baudRate_; }
    void setBaudRate(std::int32_t rate); // -1 selects BaudRateUserDefined
    std::int32_t BaudRateUserDefined() const { return baudRateUserDefined_; }
    void setBaudRateUserDefined(std::int32_t rate) { baudRateUserDefined_ = rate; }
    TCommParityBits ParityBits() const { return settings_.parity; }
    void setParityBits(TCommParityBits parity);
    TCommByteSize ByteSize() const { return settings_.byteSize; }
    void setByteSize(TCommByteSize size);
    TCommStopBits StopBits() const { return settings_.stopBits; }
    void setStopBits(TCommStopBits stop);
    TCommFlowControls FlowControls() const { return settings_.flow; }
    void setFlowControls(TCommFlowControls flow);
    std::uint16_t InQueueSize() const { return inQueueSize_; }
    void setInQueueSize(std::uint16_t size) { inQueueSize_ = size; }
    std::uint16_t OutQueueSize() const { return outQueueSize_; }
    void setOutQueueSize(std::uint16_t size) { outQueueSize_ = size; }
    std::int32_t ReceiveNotifySize() const { return receiveNotifySize_; }
    void setReceiveNotifySize(std::int32_t size) { receiveNotifySize_ = size; }
    std::int32_t SendNotifySize() const { return sendNotifySize_; }
    void setSendNotifySize(std::int32_t size) { sendNotifySize_ = size; }
    // Which line events OnCommEvent reports (evTxempty: OnCommTransmit). Received bytes are
    // reported whatever the mask says.
    TCommEventMask EventMask() const { return eventMask_; }
    void setEventMask(TCommEventMask mask);

    // Opens COM<Port>: resolves the device, opens it exclusively, applies the settings,
    // purges it, starts the watcher and raises DTR. Does nothing when already open. Throws
    // ECommOpenError (ErrorCode -1 for a device that is missing, busy, refusing, not a
    // line, or "sim:" with no SimLine; its Reason names the device and the cause).
    void Open();
    // Stops and joins the watcher, lowers DTR (the simulated line is disconnected), purges
    // and closes the device. Does nothing when closed.
    void Close();
    bool isOpen() const { return device_ != nullptr; }
    // The device text the open port uses (empty when closed).
    const std::string& deviceName() const { return deviceName_; }
    // True while the open port is a network line with no modem behind it ("telnet:"):
    // nothing to initialise or dial, the carrier is the connection, and hanging up is closing
    // the port. A "tcp:" line is not one: it may well lead to a modem (a serial server, the
    // simulated modem). False when closed.
    bool isNetworkLine() const { return networkLine_; }

    // Queues `count` bytes behind those not yet sent and returns at once; the line takes
    // them in order as fast as it drains. Throws ECommError when closed or when count >
    // OutQueueSize, and ECommReadWriteError (nothing queued) once the line has failed: the
    // device refused a write for good (ErrorCode its errno; what was queued then is lost and
    // this is how the writer learns it) or hung up (EPIPE).
    void Write(const void* buffer, int count);
    // Bytes written and not yet sent: the queue plus what the device still holds. A writer
    // that must not run ahead of the line (a file upload) looks here before writing more.
    int OutQueued() const;
    // True once the device went away (hung up, unplugged) or a network line could not be
    // connected; the carrier notification tells of it as well. False when closed.
    bool LineLost() const;
    // True while a network line is still being connected.
    bool Connecting() const;
    // Why a network line could not be connected (the device and the cause, Shift-JIS, as
    // ECommOpenError::Reason gives it); empty while it is connecting, connected, or closed.
    std::string OpenFailure() const;
    // Takes up to `count` bytes from the receive queue and returns how many; never waits.
    // Throws ECommError when closed.
    int Read(void* buffer, int count);
    // Write(text, its length); an empty text sends nothing.
    void WriteString(std::string_view text);

    // DSR from the modem on a tty with modem lines. A device without them has no modem to
    // be ready: DSR is on while the far end is there (open and not hung up). False when the
    // port is closed.
    bool DsrState() const;
    // The carrier as the last notification left it (see above). False when closed.
    bool CarrierDetect() const;

    // The notifications, on the loop's thread; each does nothing when the port is closed or
    // no handler is set. DoCommEvent passes on the reportable members of `events`.
    virtual void DoCommEvent(TCommEventMask events);
    virtual void DoCommReceive();
    virtual void DoCommTransmit();

    TCommNotifyEvent OnCommEvent;
    TCommNotifyRxTxEvent OnCommReceive;
    TCommNotifyRxTxEvent OnCommTransmit;

private:
    LineSettings effectiveSettings() const;
    void applySetting(unsigned field);
    void openDevice(const std::string& device, int& simEnd);
    void closeDevice();

    base::EventLoop& loop_;
    std::string comPortsFolder_ = ".";
    SimLine* simLine_ = nullptr;
    std::string lockFolder_ = kLockFolder;

    std::uint8_t port_ = 1;
    std::int32_t baudRate_ = 9600;
    std::int32_t baudRateUserDefined_ = 9600;
    LineSettings settings_; // byte size, parity, stop bits and flow control live here
    std::uint16_t inQueueSize_ = 4096;
    std::uint16_t outQueueSize_ = 4096;
    std::int32_t receiveNotifySize_ = 3072;
    std::int32_t sendNotifySize_ = 1024;
    TCommEventMask eventMask_;

    // The open session. `alive_` is shared with every notification posted for it and is
    // cleared by Close, so a late notification can tell that its session is over.
    std::unique_ptr<Device> device_;
    std::shared_ptr<LineState> state_;
    std::unique_ptr<TCommWatch> watch_;
    std::shared_ptr<bool> alive_;
    SimLine* openSim_ = nullptr; // the SimLine of the open session
    bool modemLines_ = false;
    bool networkLine_ = false;
    std::string deviceName_;
};

} // namespace comm
