#pragma once
// Takes the escape sequences out of what a host sends, so that a host that colours its
// text leaves exactly the lines a host without colour would have left.
//
// Data flow: the receive path feeds each notification in; the filter hands on the text that
// remains as slices of the input (control bytes such as CR, BS and LF are text here: the
// line builder deals with them) and reports each colour change (SGR, ESC "[" ... "m") with
// its parameter bytes, in order between the slices, so the caller knows where in its line
// the change falls. A sequence may be split across notifications: the filter keeps its state.
//
// Removed whole: CSI (ESC "[", parameter bytes 0x30-0x3F, intermediate bytes 0x20-0x2F, one
// final byte 0x40-0x7E), OSC (ESC "]" up to BEL or ESC "\"), the two-byte escapes (ESC and
// one byte 0x40-0x5F) and the character-set designations (ESC "(" or ESC ")" and one byte
// 0x20-0x7E). An ESC before anything else is dropped on its own and the byte after it stays.
// Only the 7-bit forms count: 0x9B and 0x9D lead Shift-JIS characters here, and a byte of
// 0x80 or above never becomes part of a sequence (it breaks off an unfinished one and
// stays text), so a Japanese character is never cut. A broken sequence cannot swallow the
// session either: a control byte ends a CSI, a CR ends an OSC, and so does its length cap;
// the byte that ended it is handled as text.
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace engine {

class EscapeFilter {
public:
    static constexpr char kEsc = 0x1b;
    // The longest parameter text kept for a colour change; longer ones are not reported.
    static constexpr size_t kMaxParams = 64;
    // An OSC that runs longer than this is taken as broken.
    static constexpr size_t kMaxOsc = 4096;

    // What a text sink returns to go on with the feed.
    static constexpr size_t kGoOn = std::string_view::npos;

    // Feeds one notification. `text(std::string_view run)` receives the text that remains,
    // in order, and returns kGoOn, or how many bytes of `run` it took before the rest of the
    // input stopped being the terminal's text (a transfer began): that ends the feed.
    // `sgr(std::string_view params)` receives each colour change. Returns how many bytes of
    // `in` were used, `in.size()` unless the text sink stopped.
    template <class TextFn, class SgrFn>
    size_t feed(std::string_view in, TextFn&& text, SgrFn&& sgr) {
        const char* const begin = in.data();
        const char* const end = begin + in.size();
        const char* p = begin;
        while (p < end) {
            if (state_ == State::Ground) {
                const void* hit = std::memchr(p, kEsc, static_cast<size_t>(end - p));
                const char* stop = hit ? static_cast<const char*>(hit) : end;
                if (stop > p) {
                    size_t len = static_cast<size_t>(stop - p);
                    size_t took = text(std::string_view(p, len));
                    if (took != kGoOn)
                        return static_cast<size_t>(p - begin) + took;
                }
                if (!hit)
                    break;
                state_ = State::Esc;
                p = stop + 1;
                continue;
            }
            switch (step(static_cast<unsigned char>(*p))) {
            case Step::Swallow:
                ++p;
                break;
            case Step::Sgr:
                ++p;
                sgr(std::string_view(params_, paramLen_));
                break;
            case Step::Keep: // back in the ground state; the byte is text
                break;
            case Step::KeepDesignator: {
                // An ESC "(" that no designation byte followed: the "(" stays as text.
                const char kept = designator_;
                text(std::string_view(&kept, 1));
                break;
            }
            }
        }
        return in.size();
    }

    // Forgets a sequence begun earlier (a new run starts).
    void reset();
    // True between sequences.
    bool idle() const { return state_ == State::Ground; }

private:
    enum class State { Ground, Esc, Csi, Osc, OscEsc, Designate };
    enum class Step { Swallow, Sgr, Keep, KeepDesignator };

    // One byte in a state other than Ground.
    Step step(unsigned char c);
    Step csiByte(unsigned char c);
    Step escByte(unsigned char c);

    State state_ = State::Ground;
    char params_[kMaxParams];
    size_t paramLen_ = 0;
    bool paramsLost_ = false;   // too long, or not plain SGR parameters
    bool intermediate_ = false; // an intermediate byte came: not a colour change
    size_t oscLen_ = 0;
    char designator_ = '(';
};

} // namespace engine
