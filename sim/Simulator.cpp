#include "sim/Simulator.h"

namespace sim {

Simulator::Simulator(base::EventLoop& loop, DataSet data, SimOptions options)
    : loop_(loop), options_(std::move(options)), data_(std::move(data)), startMs_(loop.nowMs()),
      hostOut_(loop, options_.host, [this](std::string_view b) { modem_.fromHost(b); }),
      modem_(loop, options_.modem, record_,
             Modem::Wiring{
                 [this](std::string_view b) { toTerminal(b); },
                 [this](bool on) { carrierChanged(on); },
                 [this](std::string_view b) { host_.receive(b); },
                 [this] { host_.callUp(); },
                 [this] { host_.callDown(); },
             }),
      host_(loop, data_, options_.host, record_, hostOut_, [this] {
          modem_.hostHangUp();
          if (options_.modem.direct)
              host_.waitForCr();
      }) {}

void Simulator::attach() {
    host_.callDown();
    modem_.attach();
    if (options_.modem.direct)
        host_.waitForCr();
}

void Simulator::receive(std::string_view bytes) {
    if (bytes.empty())
        return;
    note(TranscriptEntry::Kind::FromTerminal, bytes);
    modem_.receive(bytes);
}

void Simulator::dtrDropped() {
    modem_.dtrDropped();
}

void Simulator::toTerminal(std::string_view bytes) {
    if (bytes.empty())
        return;
    note(TranscriptEntry::Kind::ToTerminal, bytes);
    if (output_)
        output_(bytes);
}

void Simulator::carrierChanged(bool on) {
    note(TranscriptEntry::Kind::Carrier, on ? "on" : "off");
    if (carrierOut_)
        carrierOut_(on);
}

void Simulator::note(TranscriptEntry::Kind kind, std::string_view bytes) {
    std::int64_t ms = loop_.nowMs() - startMs_;
    // Consecutive bytes of one direction at the same moment make one entry.
    if (!record_.transcript.empty() && kind != TranscriptEntry::Kind::Carrier) {
        TranscriptEntry& last = record_.transcript.back();
        if (last.kind == kind && last.ms == ms) {
            last.bytes += bytes;
            return;
        }
    }
    record_.transcript.push_back(TranscriptEntry{ms, kind, std::string(bytes)});
}

} // namespace sim
