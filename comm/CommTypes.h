#pragma once
// The vocabulary of the serial line: the line-setting enumerations, the event and flow-control
// sets, and the errors a port raises. Shared by the component (TComm), its watcher and the
// device backends, so none of them needs the others' headers.
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace comm {

// Where serial programs keep their "LCK..<device>" lock files.
inline constexpr const char* kLockFolder = "/var/lock";

enum TCommParityBits { cpbNone, cpbOdd, cpbEven, cpbMark, cpbSpace };
// The data-bit count is the ordinal + 4.
enum TCommByteSize { cbs4, cbs5, cbs6, cbs7, cbs8 };
enum TCommStopBits { csb1, csb15, csb2 };
enum TCommFlowControl { cfcDtrDsr, cfcRtsCts, cfcXonXoff };
// Line events. 1 << ordinal is the event's flag in an event word (evRlsd = 0x0020).
enum TCommEvents {
    evRxchar,
    evRxflag,
    evTxempty,
    evCts,
    evDsr,
    evRlsd,
    evBreak,
    evErr,
    evRing,
    evPerr
};

// A set of enumerators, one bit per ordinal.
template <typename E> class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> members) {
        for (E e : members)
            bits_ |= bit(e);
    }
    static constexpr EnumSet fromBits(unsigned bits) {
        EnumSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr unsigned bits() const { return bits_; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr EnumSet& operator+=(E e) {
        bits_ |= bit(e);
        return *this;
    }
    constexpr EnumSet operator|(EnumSet o) const { return fromBits(bits_ | o.bits_); }
    constexpr EnumSet operator&(EnumSet o) const { return fromBits(bits_ & o.bits_); }
    constexpr bool operator==(const EnumSet&) const = default;

private:
    static constexpr unsigned bit(E e) { return 1u << static_cast<unsigned>(e); }
    unsigned bits_ = 0;
};

using TCommFlowControls = EnumSet<TCommFlowControl>;
using TCommEventMask = EnumSet<TCommEvents>;

// The settings a device applies to its line.
struct LineSettings {
    int baudRate = 9600; // the effective rate (BaudRate, or BaudRateUserDefined for -1)
    TCommByteSize byteSize = cbs8;
    TCommParityBits parity = cpbNone;
    TCommStopBits stopBits = csb1;
    TCommFlowControls flow{cfcRtsCts};
};

// Which of the LineSettings a device should (re)apply.
enum LineSettingField : unsigned {
    lsBaudRate = 1,
    lsByteSize = 2,
    lsParity = 4,
    lsStopBits = 8,
    lsFlow = 16,
    lsAll = 31
};

// Errors of the port. what() is Shift-JIS text, ready for a status line or a message box.
class ECommError : public std::runtime_error {
public:
    explicit ECommError(const std::string& sjisMessage) : std::runtime_error(sjisMessage) {}
    // "通信が開始されていない。": the port is not open.
    static ECommError notOpen();
    // "送信データ長が長すぎる。": a write longer than the transmit queue.
    static ECommError tooLong();
};

// The port could not be opened. ErrorCode -1: the device is missing, busy, refused the
// connection or is not a line at all; -2: the watcher's wake-up channel could not be made;
// -3: the watcher thread could not be started. Reason names the device and says, in words a
// user can act on, what stood in the way (Shift-JIS; empty when there is nothing to add).
class ECommOpenError : public ECommError {
public:
    explicit ECommOpenError(std::int32_t code, std::string reason = {});
    std::int32_t ErrorCode;
    std::string Reason;
};

// The device refused a read or a write outright; ErrorCode is the system's error number.
class ECommReadWriteError : public ECommError {
public:
    explicit ECommReadWriteError(std::int32_t code);
    std::int32_t ErrorCode;
};

} // namespace comm
