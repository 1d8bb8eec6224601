// The telnet codec: data and answers never depend on where the reads cut the input, the
// data never runs ahead of the input, answers are whole three-byte negotiations, and what
// one side sends arrives at the other exactly as written.
#include "comm/TelnetCodec.h"
#include "fuzz/FuzzSupport.h"

using comm::TelnetCodec;

namespace {

// The whole input through one codec in one read, or in pieces the cuts choose.
void run(TelnetCodec& c, const std::string& wire, fuzz::Bytes* cuts, std::string& data,
         std::string& answers) {
    size_t at = 0;
    std::string buf;
    while (at < wire.size()) {
        size_t n = cuts ? std::min<size_t>(wire.size() - at, 1 + cuts->below(64)) : wire.size();
        buf.assign(wire, at, n);
        size_t got = c.receive(buf.data(), n, buf.data(), answers); // in place
        FUZZ_CHECK(got <= n);
        data.append(buf, 0, got);
        at += n;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Bytes in(data, size);
    const std::string wire = in.piece() + in.piece() + in.piece();
    const std::string cutBytes = in.piece();
    const std::string payload = in.rest();

    TelnetCodec whole, cut;
    std::string startA = whole.start(), startB = cut.start();
    FUZZ_CHECK(startA == startB);
    std::string dataA, answersA, dataB, answersB;
    run(whole, wire, nullptr, dataA, answersA);
    fuzz::Bytes cuts(reinterpret_cast<const std::uint8_t*>(cutBytes.data()), cutBytes.size());
    run(cut, wire, &cuts, dataB, answersB);
    FUZZ_CHECK(dataA == dataB);
    FUZZ_CHECK(answersA == answersB);
    FUZZ_CHECK(dataA.size() <= wire.size());
    FUZZ_CHECK(answersA.size() % 3 == 0);
    for (size_t i = 0; i < answersA.size(); i += 3) {
        unsigned char verb = static_cast<unsigned char>(answersA[i + 1]);
        FUZZ_CHECK(static_cast<unsigned char>(answersA[i]) == comm::telnet::IAC);
        FUZZ_CHECK(verb >= comm::telnet::WILL && verb <= comm::telnet::DONT);
    }
    for (int o = 0; o < 256; ++o) {
        FUZZ_CHECK(whole.localOn(static_cast<unsigned char>(o)) ==
                   cut.localOn(static_cast<unsigned char>(o)));
        FUZZ_CHECK(whole.remoteOn(static_cast<unsigned char>(o)) ==
                   cut.remoteOn(static_cast<unsigned char>(o)));
    }

    // Two fresh sides that have agreed nothing: data goes through unchanged.
    TelnetCodec sender, receiver;
    std::string line;
    sender.send(payload.data(), payload.size(), line);
    std::string got, answers;
    run(receiver, line, nullptr, got, answers);
    FUZZ_CHECK(got == payload);
    FUZZ_CHECK(answers.empty());
    return 0;
}
