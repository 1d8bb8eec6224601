#pragma once
// The telnet layer of a "telnet:" line, as bytes in and bytes out: it takes what arrives from
// the socket apart into data and commands, answers the far end's option requests, and turns
// the program's data into its line form. No I/O and no threads of its own; the device that
// owns it sends what it returns and keeps it behind one lock.
//
// Options are negotiated by the rules of RFC 1143 (each side of each option is off, on, or
// asked for): a request for an option that is already in the requested state is not
// answered, and a refusal is never answered, so two sides that keep these rules cannot loop.
// An option outside the policy is refused (DONT / WONT) each time the far end offers it.
//
// Data: 0xFF travels as IAC IAC both ways. A CR goes out as written while this side sends
// in BINARY mode; otherwise a CR not followed by LF becomes CR NUL (an NVT's lone CR), and
// the CR NUL of a far end that is not in BINARY mode arrives as CR. Commands and
// subnegotiations never reach the data, wherever the reads happen to cut them; a
// subnegotiation that runs past kMaxSubnegotiation bytes without IAC SE is taken as ended,
// so a broken far end cannot swallow the session.
#include <array>
#include <bitset>
#include <cstddef>
#include <string>

namespace comm {

namespace telnet {
inline constexpr unsigned char SE = 240;
inline constexpr unsigned char NOP = 241;
inline constexpr unsigned char GA = 249;
inline constexpr unsigned char SB = 250;
inline constexpr unsigned char WILL = 251;
inline constexpr unsigned char WONT = 252;
inline constexpr unsigned char DO = 253;
inline constexpr unsigned char DONT = 254;
inline constexpr unsigned char IAC = 255;

inline constexpr unsigned char BINARY = 0; // RFC 856
inline constexpr unsigned char ECHO = 1;   // RFC 857
inline constexpr unsigned char SGA = 3;    // RFC 858, suppress go-ahead
} // namespace telnet

class TelnetCodec {
public:
    using Options = std::bitset<256>;
    // What this side agrees to. `local`: options it performs itself, each asked for (WILL)
    // by start(). `remote`: options the far end may perform; those also in `ask` are asked
    // for (DO) by start(), the others only accepted when offered.
    struct Policy {
        Options local, remote, ask;
    };
    // A terminal's side: BINARY and SUPPRESS-GO-AHEAD both ways, asked for at once, and the
    // far end's ECHO accepted.
    static Policy clientPolicy();

    static constexpr size_t kMaxSubnegotiation = 512;

    explicit TelnetCodec(Policy policy = clientPolicy());

    // The requests that open a session. Call once, before anything else is sent.
    std::string start();

    // Takes `n` bytes from the line. Their data is written to `out` and its length returned;
    // `out` may be `in` itself, since the data never runs ahead of the input. Answers owed to
    // the far end are appended to `answers`.
    size_t receive(const char* in, size_t n, char* out, std::string& answers);

    // Appends the line form of `n` data bytes to `wire`. Without BINARY a CR that these
    // bytes do not follow with LF is sent as CR NUL.
    void send(const char* data, size_t n, std::string& wire) const;

    // Whether this side performs `option` / the far end does, as agreed so far.
    bool localOn(unsigned char option) const { return local_[option] == Q::Yes; }
    bool remoteOn(unsigned char option) const { return remote_[option] == Q::Yes; }

private:
    enum class Q : unsigned char { No, Yes, WantYes };
    enum class State : unsigned char { Data, Iac, Verb, Sb, SbIac };

    void data(unsigned char b, char* out, size_t& len);
    void command(unsigned char b);
    void negotiate(unsigned char verb, unsigned char option, std::string& answers);
    // The far end asks for (`on`) or withdraws an option of one side; the answer, if any,
    // uses `yes` / `no` as its verb.
    static void request(Q& q, bool allowed, bool on, unsigned char yes, unsigned char no,
                        unsigned char option, std::string& answers);

    Policy policy_;
    std::array<Q, 256> local_{};
    std::array<Q, 256> remote_{};
    State state_ = State::Data;
    unsigned char verb_ = 0;
    size_t sbLength_ = 0;
    bool afterCr_ = false; // the last data byte was a CR that a NUL may follow
};

} // namespace comm
