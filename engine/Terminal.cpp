// The receive path, the ring buffer, the screen rules and keyboard input of the terminal.
#include "engine/VazevModel.h"

#include "base/Sjis.h"
#include "base/Text.h"

#include <algorithm>
#include <cstring>

namespace engine {

const std::string& VazevModel::line(int i) const {
    static const std::string empty;
    if (i < 0 || i >= kLineCount)
        return empty;
    return lines_[static_cast<size_t>(i)];
}

void VazevModel::Comm1CommReceive(std::string_view bytes) {
    if (bytes.empty())
        return;
    switch (receiveMode_) {
    case 1:
        ringPut(bytes);
        break;
    case 2:
        if (transfer_)
            transfer_->downloadData(bytes.data(), bytes.size());
        else
            receiveAsText(bytes);
        break;
    case 3:
        if (transfer_)
            transfer_->uploadReceive(bytes.size());
        break;
    default:
        terminalBytes(bytes);
        break;
    }
    // A direct line after "QUIT" closes once the host has been quiet a while (and after
    // half a minute of goodbye at the most).
    if (hangUpPhase_ == HangUp::DirectQuiet && loop_.nowMs() - lastSendMs_ < 10 * kDirectQuietMs) {
        hangUpTimer_.setEnabled(false);
        hangUpTimer_.setEnabled(true);
    }
    // What was captured reaches the disk with each notification, so a crash loses nothing
    // that was received whole.
    if (capture_)
        std::fflush(capture_);
}

void VazevModel::receiveAsText(std::string_view bytes) {
    terminalBytes(bytes);
}

// Terminal mode: escape sequences are taken out whole (colour changes go to the screen's
// colours, beside the lines), and what remains goes to the line builder. When a step at a
// CR hands the line to a transfer, the rest of the notification goes where the new mode
// sends it, untouched.
void VazevModel::terminalBytes(std::string_view bytes) {
    const size_t used = escapes_.feed(
        bytes, [this](std::string_view text) { return terminalText(text); },
        [this](std::string_view params) {
            colours_.sgr(writePointer_, lines_[static_cast<size_t>(writePointer_)].size(), params);
        });
    if (used < bytes.size())
        Comm1CommReceive(bytes.substr(used));
    if (view_)
        view_->redraw();
}

// Printable bytes build the line at WritePointer, CR completes it, BS takes back one byte,
// every other control byte is dropped. Only what changes the received text is a sign of
// life for the watchdog: a printable byte, a BS that removes one, a CR that ends a line
// with text. Keep-alive bytes (a BEL, a NUL, empty lines) from a host or a line that is
// stuck must not hold a run open for ever.
// Returns EscapeFilter::kGoOn, or how many bytes were used when a CR switched the mode.
size_t VazevModel::terminalText(std::string_view bytes) {
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const char* run = p;
        while (p < end && static_cast<unsigned char>(*p) >= 32)
            ++p;
        if (p > run) {
            lines_[static_cast<size_t>(writePointer_)].append(run, static_cast<size_t>(p - run));
            idleTicks_ = 0;
        }
        if (p == end)
            break;
        char c = *p++;
        if (c == '\r') {
            if (!lines_[static_cast<size_t>(writePointer_)].empty())
                idleTicks_ = 0;
            completeLine();
            if (receiveMode_ != 0)
                return static_cast<size_t>(p - bytes.data());
        } else if (c == '\b') {
            std::string& l = lines_[static_cast<size_t>(writePointer_)];
            if (!l.empty()) {
                l.pop_back();
                idleTicks_ = 0;
                colours_.takenBack(writePointer_, l.size());
            }
        }
    }
    return EscapeFilter::kGoOn;
}

void VazevModel::completeLine() {
    Command();
    const int done = writePointer_;
    writeCaptureLine(lines_[static_cast<size_t>(done)]);
    if (writePointer_ >= kLastWritePointer) {
        // The table is full: the line stays in the capture log only, and the run ends.
        lines_[static_cast<size_t>(writePointer_)].clear();
        tableFull();
    } else {
        ++writePointer_;
        lines_[static_cast<size_t>(writePointer_)].clear();
    }
    waitNextLine_ = false;
    uploadSent_ = false;
    if (view_)
        view_->lineCompleted(done);
}

void VazevModel::tableFull() {
    if (tableFull_)
        return;
    tableFull_ = true;
    if (!running_)
        return;
    setStatus(base::sj(u8"受信行が多すぎます．通信を終了します．"));
    logError(status_);
    setOutcome(RunOutcome::TableFull);
    COMABORT();
}

// Raw mode: the ring keeps at most kRingSize - 1 unread bytes. A byte that would overwrite
// an unread one is not stored; the transfer that reads the ring is told and ends.
void VazevModel::ringPut(std::string_view bytes) {
    for (char c : bytes) {
        int next = ringWrite_ + 1;
        if (next >= kRingSize)
            next = 0;
        if (next == ringRead_) {
            if (transfer_)
                transfer_->ringOverrun();
            return;
        }
        ringWrite_ = next;
        ring_[static_cast<size_t>(ringWrite_)] = c;
    }
    if (transfer_)
        transfer_->ringData();
}

int VazevModel::RsGetC() {
    if (ringWrite_ == ringRead_)
        return 0;
    ++ringRead_;
    if (ringRead_ >= kRingSize)
        ringRead_ = 0;
    return static_cast<unsigned char>(ring_[static_cast<size_t>(ringRead_)]);
}

int VazevModel::firstRow(int statusTop) const {
    return std::max(1, writePointer_ - statusTop / 16 + 3);
}

std::string VazevModel::rowText(std::string_view line) {
    // A Japanese character that column 80 would cut in two is not shown by halves.
    std::string row = base::copyColumns(line, 1, 80);
    row.resize(80, ' ');
    return row;
}

std::string VazevModel::backViewText() const {
    std::string text;
    for (int i = std::max(0, writePointer_ - 500); i <= writePointer_ - 1; ++i) {
        text += lines_[static_cast<size_t>(i)];
        text += "\r\n";
    }
    return text;
}

std::string VazevModel::countersText() const {
    return std::to_string(idleTicks_) + "WP" + std::to_string(writePointer_) + ",RP" +
           std::to_string(readPointer_) + ",MP" + std::to_string(macroPointer_) + "/" +
           std::to_string(MacroCount());
}

void VazevModel::TextKeyPress(char key, bool screenHasFocus) {
    if (port_.isOpen() && !keyGard_ && screenHasFocus && !(transfer_ && transfer_->visible()))
        send(std::string_view(&key, 1));
}

void VazevModel::SendButton(const std::string& text) {
    if (port_.isOpen())
        send(text + "\r");
}

void VazevModel::FormShow() {
    keyGard_ = true;
    idleTicks_ = 0;
    clearRing();
}

void VazevModel::send(std::string_view bytes) {
    if (bytes.empty())
        return;
    port_.write(bytes);
    lastSendMs_ = loop_.nowMs();
}

} // namespace engine
