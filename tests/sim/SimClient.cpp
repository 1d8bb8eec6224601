#include "tests/sim/SimClient.h"

#include "base/Sjis.h"
#include "base/Text.h"
#include "sim/HostText.h"

#include <cstdlib>

namespace simtest {

std::string demoDir() {
    return std::string(TARNO_SOURCE_DIR) + "/data/demo";
}

sim::DataSet demoData() {
    return sim::loadFixture(demoDir());
}

std::vector<std::string> screenLines(const std::string& bytes) {
    std::vector<std::string> lines(1);
    for (char c : bytes) {
        if (c == '\r') {
            lines.emplace_back();
        } else if (c == '\b') {
            if (!lines.back().empty())
                lines.back().pop_back();
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            lines.back() += c;
        }
    }
    return lines;
}

std::string screenText(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\b') {
            if (!out.empty() && out.back() != '\r')
                out.pop_back();
        } else if (c == '\r' || static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    return out;
}

SimClient::SimClient(sim::SimOptions options, sim::DataSet data)
    : loop(base::makeDateTime(2026, 12, 8, 9, 0, 0)), sim(loop, std::move(data), options) {
    sim.setOutput([this](std::string_view b) { output_ += b; });
    sim.setCarrier([this](bool on) {
        carrier_ = on;
        changes_.push_back(on);
    });
    sim.attach();
}

bool SimClient::waitFor(const std::string& text, int boundMs) {
    for (int waited = 0;; waited += 10) {
        if (screenText(output_.substr(taken_)).find(text) != std::string::npos)
            return true;
        if (waited >= boundMs)
            return false;
        loop.advance(10);
    }
}

int SimClient::waitForAny(const std::vector<std::string>& texts, int boundMs) {
    for (int waited = 0;; waited += 10) {
        std::string screen = screenText(output_.substr(taken_));
        for (size_t i = 0; i < texts.size(); ++i)
            if (screen.find(texts[i]) != std::string::npos)
                return static_cast<int>(i);
        if (waited >= boundMs)
            return -1;
        loop.advance(10);
    }
}

bool SimClient::waitBytes(size_t count, int boundMs) {
    for (int waited = 0; output_.size() - taken_ < count; waited += 10) {
        if (waited >= boundMs)
            return false;
        loop.advance(10);
    }
    return true;
}

std::string SimClient::take() {
    std::string s = output_.substr(taken_);
    taken_ = output_.size();
    return s;
}

void SimClient::connect() {
    if (sim.options().modem.direct) {
        type("\r\n");
        return;
    }
    type("ATZ\r\n");
    waitFor("OK");
    type("ATDT0312345678\r\n");
    waitFor("CONNECT");
    take();
}

std::string SimClient::login() {
    connect();
    waitFor("User ID  =");
    type("TARNO001\r");
    waitFor("Password =");
    type("tarno\r");
    waitFor(">");
    return take();
}

void SimClient::loginToMenu() {
    readMailToMenu(login());
}

void SimClient::readMailToMenu(const std::string& sinceLogin) {
    std::string seen = screenText(sinceLogin);
    // Each waiting mail: its prompt, the text, the binary menu for a binary mail (declined),
    // the delete question (kept).
    const std::string del = base::sj(u8"削除しますか (Y/N)>");
    while (seen.find("[RET]:") != std::string::npos) {
        type("\r");
        if (waitForAny({sim::text::binaryMailMenu(), del}) == 0) {
            take();
            type("0\r");
            waitFor(del);
        }
        take();
        type("N\r");
        waitFor(">");
        seen = screenText(take());
    }
}

std::string SimClient::command(const std::string& typed, int boundMs) {
    take();
    type(typed);
    // Done when the output ends in a main prompt (the echo comes first, so that is the
    // prompt after the command's output).
    for (int waited = 0; waited < boundMs; waited += 10) {
        std::string pending = screenText(output_.substr(taken_));
        size_t p = pending.rfind("MAIN (");
        if (p != std::string::npos && p > 0 && base::endsInMenuMark(pending.substr(p)))
            break;
        loop.advance(10);
    }
    return take();
}

std::string SimClient::mlinkReceive(std::string& data, int boundMs) {
    take();
    type("M");
    std::string header;
    if (!waitFor("\r", boundMs))
        return {};
    std::string got = take();
    size_t cr = got.find('\r');
    header = got.substr(0, cr);
    std::string rest = got.substr(cr + 1);
    int space = base::pos(" ", header);
    std::string sizeText = base::copyFrom(header, space + 1);
    sizeText = sizeText.substr(0, sizeText.find(' '));
    size_t size = static_cast<size_t>(base::strToIntDef(sizeText, 0));
    type("M");
    waitBytes(size, boundMs);
    data = rest + take();
    type("E\r");
    return header;
}

bool SimClient::mlinkSend(const std::string& name, const std::string& data, std::string* seen,
                          int boundMs) {
    take();
    if (!waitBytes(1, boundMs))
        return false;
    std::string sign = take();
    if (sign[0] != 'M') {
        if (seen)
            *seen = sign;
        return false;
    }
    type(name + " " + std::to_string(data.size()) + " 80:00:00 00:00:00\r");
    if (!waitBytes(1, boundMs))
        return false;
    sign = take();
    // Ready signs repeated before the header arrived may still stand before the OK sign.
    if (sign.find_first_not_of('M') != std::string::npos) {
        if (seen)
            *seen = sign;
        return false;
    }
    for (size_t at = 0; at < data.size(); at += 1024) {
        type(data.substr(at, 1024));
        advance(200);
    }
    type("\r");
    return true;
}

} // namespace simtest
