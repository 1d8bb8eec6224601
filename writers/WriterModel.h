#pragma once
// The writers: a reply (TResWriteForm), a new message (TNewWriteForm), a mail or binary
// mail (TMailWriteForm) and an upload request (TUPFileForm). A writer never talks to a
// host: when the user confirms, its fields and body become one reservation block that is
// appended to its net's reservation list in the net manager, which rewrites the net's
// NET.MAC; the auto-pilot posts it on the next run.
//
// Data flow: an opener fills a hand-over slot of the net manager and asks for a window;
// the window creates this model and calls the show handler of its kind, which copies the
// slot. A fresh reply, new message or mail then fills the text style dialog's values,
// checks its style and shows the dialog; Timer1 waits (once a second) until the dialog is
// closed and frames the body with the expanded style. The window pushes every edit of
// its fields and body here and shows the model again after writerChanged.
//
// Before a block is made, every field the auto-pilot splits a header on is checked, the
// net is checked to be the one the writer was opened for, and nothing is reserved while
// a run works through the list, nor while the text holds characters Shift-JIS cannot hold
// (they would go out as "?"); each refusal is a message and the window stays open with
// all its text.
#include "base/EventLoop.h"
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "writers/TextStyleModel.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace writers {

enum class Answer { Yes, No, Cancel };

// Message boxes: questions "質問です．", warnings "警告です．". Texts are Shift-JIS.
class WriterDialogs {
public:
    virtual ~WriterDialogs() = default;
    virtual Answer askYesNoCancel(const std::string& sjisText) = 0;
    virtual bool askYesNo(const std::string& sjisText) = 0;
    virtual void warn(const std::string& sjisText) = 0;
    // A warning that must show characters Shift-JIS cannot hold; by default they become
    // "?" and the text names them by code point as well.
    virtual void warnUtf8(const std::string& utf8Text) { warn(base::fromUtf8(utf8Text)); }
};

class WriterView {
public:
    virtual ~WriterView() = default;
    // Fields, body or caption changed by the model.
    virtual void writerChanged() = 0;
    // The close logic brings the writer to the front before it asks anything.
    virtual void bringToFront() {}
    // The characters of the writer's fields and body that Shift-JIS cannot hold (each once,
    // as UTF-8): the model's text already holds "?" for them, so only the window knows.
    virtual std::vector<std::string> unsendableChars() const { return {}; }
};

// What every writer works with; all of it must outlive the writer.
struct WriterContext {
    base::EventLoop& loop;
    const shell::NetList& nets;
    macro::MacroModel& macro;
    TextStyleModel& styles;
    WriterDialogs& dialogs;
    // True while a run works through the reservation list; may be empty.
    std::function<bool()> runActive;
};

enum class WriterKind { Reply, NewMessage, Mail, Upload };

class WriterModel {
public:
    static constexpr int kTimer1Ms = 1000;

    WriterModel(WriterContext ctx, WriterKind kind);
    ~WriterModel();
    WriterModel(const WriterModel&) = delete;
    WriterModel& operator=(const WriterModel&) = delete;
    void setView(WriterView* view) { view_ = view; }
    WriterKind kind() const { return kind_; }

    // --- Show handlers: each copies its slot once. ---
    void FormShow(const macro::ReplySlot& slot); // reply writer
    void FormShow(const macro::NewSlot& slot);   // new-message writer, or upload request
    void FormShow(const macro::MailSlot& slot);  // mail writer

    // --- Fields as the window shows them (Shift-JIS). Setters are the user's edits. ---
    const std::string& NetName() const { return netName_; }
    const std::string& NetNumber() const { return netNumber_; }
    const std::string& boardname() const { return boardname_; }
    const std::string& RESNO() const { return resNo_; }
    const std::string& title() const { return title_; }
    const std::string& SendId() const { return sendId_; }
    const std::string& FName() const { return fName_; }
    bool BMAIL() const { return bmail_; }
    const base::Lines& body() const { return body_; }
    void setBoardname(std::string s) { boardname_ = std::move(s); }
    // `whole` is false when the typed text had characters Shift-JIS cannot hold (they
    // became "?"); a file name so damaged is refused rather than reserved.
    void setTitle(std::string s, bool whole = true);
    void setSendId(std::string s) { sendId_ = std::move(s); }
    void setFName(std::string s, bool whole = true) {
        fName_ = std::move(s);
        fNameWhole_ = whole;
    }
    void setBMAIL(bool on);
    // A line break inside a line splits it.
    void setBody(const base::Lines& lines);

    // The window caption and the title field's label.
    std::string caption() const;
    std::string titleLabel() const;

    const std::string& CloseState() const { return closeState_; }
    bool decided() const;
    bool timer1Running() const { return timer1_.enabled(); }

    // --- Commands ---
    // "UP" and 予約: the window closes next, and the close logic reserves.
    void up() { closeState_ = kYes; }
    // 破棄: the window closes next without reserving.
    void discard() { closeState_ = kNo; }
    // The close logic, run on every attempt to close: true when the window may close
    // (after reserving when the user chose to).
    bool FormCloseQuery();

    // The header line the fields make now (no check).
    std::string headerLine() const;
    // The fields checked for a header; the warning of the first wrong field, or nullopt.
    std::optional<std::string> checkFields() const;

private:
    static constexpr const char* kYes = "YES";
    static constexpr const char* kNo = "NO";

    void setStyleValuesFromNet(StyleValues& v) const;
    // Shows the style dialog for this writer, or, while it serves another writer or is
    // open, waits (Timer1) until it is free.
    void showStyle(Style s, const StyleValues& v);
    void Timer1Timer();
    void insertStyle();
    void undecided();
    bool reserve();
    void notify();

    WriterContext ctx_;
    WriterKind kind_;
    WriterView* view_ = nullptr;
    base::Timer timer1_;

    std::string netName_, netNumber_, netFolder_;
    std::string boardname_, resNo_, title_, sendId_, fName_;
    bool titleWhole_ = true, fNameWhole_ = true;
    bool bmail_ = false;
    base::Lines body_;
    std::string closeState_;
    std::optional<std::pair<Style, StyleValues>> waitingStyle_;
};

} // namespace writers
