#include "sim/Record.h"

#include "base/Sjis.h"

#include <cstdio>

namespace sim {

namespace {

std::string joined(const std::vector<TranscriptEntry>& t, TranscriptEntry::Kind kind) {
    std::string out;
    for (const TranscriptEntry& e : t)
        if (e.kind == kind)
            out += e.bytes;
    return out;
}

std::string yesNo(bool b) {
    return b ? "yes" : "no";
}

void bodyLines(std::string& out, const base::Lines& lines) {
    for (const std::string& l : lines)
        out += "  | " + l + "\r\n";
}

} // namespace

std::string SessionRecord::fromTerminal() const {
    return joined(transcript, TranscriptEntry::Kind::FromTerminal);
}

std::string SessionRecord::toTerminal() const {
    return joined(transcript, TranscriptEntry::Kind::ToTerminal);
}

std::string escapeBytes(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (base::isLeadByte(c) && i + 1 < bytes.size()) {
            unsigned char t = static_cast<unsigned char>(bytes[i + 1]);
            if (t >= 0x40 && t <= 0xFC && t != 0x7F) {
                out += bytes.substr(i, 2);
                ++i;
                continue;
            }
        }
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\b') {
            out += "\\b";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F || c == 0x80 || c >= 0xFD || (c >= 0x81 && c <= 0x9F) ||
                   (c >= 0xE0 && c <= 0xFC)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string SessionRecord::toText() const {
    std::string out = "TARNO-HOSTSIM RECORD\r\n";
    for (const DialRecord& d : dials)
        out += "DIAL " + d.number + " -> " + (d.result.empty() ? "(no answer)" : d.result) + "\r\n";
    for (const std::string& id : logins)
        out += "LOGIN " + id + "\r\n";
    for (const PostRecord& p : posts) {
        out += std::string("POST ") + (p.kind == PostRecord::Kind::Reply ? "reply" : "new") +
               " board=" + p.boardRef + " (" + std::to_string(p.board) + ")";
        if (p.kind == PostRecord::Kind::Reply)
            out += " to=" + std::to_string(p.replyTo);
        out += " saved=" + yesNo(p.saved);
        if (p.saved)
            out += " article=" + std::to_string(p.article);
        out += "\r\n  title " + p.title + "\r\n";
        bodyLines(out, p.body);
    }
    for (const MailRecord& m : mails) {
        out += "MAIL to=" + m.to;
        for (const std::string& g : m.group)
            out += "," + g;
        out += " saved=" + yesNo(m.saved) + "\r\n  title " + m.title + "\r\n";
        bodyLines(out, m.body);
    }
    for (const UploadRecord& u : uploads) {
        out += u.binaryMail ? "BMAIL to=" + u.to
                            : "UPLOAD board=" + u.boardRef + " (" + std::to_string(u.board) + ")";
        for (const std::string& g : u.group)
            out += "," + g;
        out += " name=" + u.name + " header=" + escapeBytes(u.headerName) +
               " declared=" + std::to_string(u.declaredSize) +
               " received=" + std::to_string(u.bytes.size()) + " complete=" + yesNo(u.complete) +
               "\r\n";
        if (!u.comment.empty())
            out += "  comment " + u.comment + "\r\n";
        bodyLines(out, u.description);
    }
    for (const DownloadRecord& d : downloads) {
        out += std::string("DOWNLOAD ") + (d.binaryMail ? "mail=" : "board=") +
               (d.binaryMail ? "" : std::to_string(d.board) + " number=") +
               std::to_string(d.number) + " name=" + d.name +
               " header=" + escapeBytes(d.headerName) + " size=" + std::to_string(d.size) +
               " sent=" + std::to_string(d.bytesSent) + " complete=" + yesNo(d.complete) + "\r\n";
    }
    for (const DeletedMail& m : deletedMail)
        out += "DELETED-MAIL " + std::to_string(m.serial) + " from=" + m.from +
               " subject=" + m.subject + "\r\n";
    if (unreadDateSet)
        out += "UNREAD " + *unreadDateSet + "\r\n";
    out += "LOGOUTS " + std::to_string(logouts) + "\r\n";
    out += "TRANSCRIPT\r\n";
    for (const TranscriptEntry& e : transcript) {
        char ms[32];
        std::snprintf(ms, sizeof ms, "%10lld ", static_cast<long long>(e.ms));
        const char* dir = e.kind == TranscriptEntry::Kind::FromTerminal ? "< "
                          : e.kind == TranscriptEntry::Kind::ToTerminal ? "> "
                                                                        : "* carrier ";
        out += ms + std::string(dir) +
               (e.kind == TranscriptEntry::Kind::Carrier ? e.bytes : escapeBytes(e.bytes)) + "\r\n";
    }
    return out;
}

} // namespace sim
