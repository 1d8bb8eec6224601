#include "writers/ReserveEditor.h"

#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "macro/ReserveList.h"
#include "writers/WriterText.h"

#include <utility>

namespace writers {

using base::sj;
using macro::BlockKind;

SplitHeader splitHeader(const std::string& header) {
    SplitHeader h;
    const int colon = base::pos(":", header);
    const int hash = base::pos("#", header);
    h.board = base::copy(header, colon + 1, hash - colon - 1);
    h.rest = cutBytes(base::copyFrom(header, hash + 1), kMaxPath);
    if (macro::kindOf(header) == BlockKind::UPFILE) {
        // The whole rest, not its first 128 bytes, holds the path after the title.
        const std::string whole = base::copyFrom(header, hash + 1);
        if (const int bar = base::findDelimiter(whole, '|')) {
            h.path = cutBytes(base::copyFrom(whole, bar + 1), kMaxPath);
            h.rest = base::copy(whole, 1, bar - 1);
        }
    }
    return h;
}

ReserveEditor::ReserveEditor(macro::MacroModel& macro, const shell::NetList& nets,
                             ReserveEditorHost& host, std::function<bool()> runActive)
    : macro_(macro), nets_(nets), host_(host), runActive_(std::move(runActive)) {}

void ReserveEditor::notify() {
    if (view_)
        view_->editorChanged();
}

void ReserveEditor::FormShow() {
    host_.setMainAndMacroEnabled(false);
    caption_ = sj(u8"書込み＆読み込み予約の編集 [") + host_.mainNetText() + "]";
    refill();
}

void ReserveEditor::close() {
    host_.setMainAndMacroEnabled(true);
    host_.hideReserveEditor();
}

void ReserveEditor::refill() {
    items_.clear();
    starts_.clear();
    const macro::ReserveList& list = macro_.reserve();
    for (int i = 0; i < list.ReserveCount(); i = list.blockEnd(i) + 1) {
        const std::string& line = list.ReserveLines(i);
        if (macro::kindOf(line) == BlockKind::None)
            continue; // a stray line is passed over, as loading a net never makes one
        items_.push_back(line);
        starts_.push_back(i);
    }
    selected_ = -1;
    deleteEnabled_ = false;
    editEnabled_ = false;
    notify();
}

void ReserveEditor::ListBox1Click(int i) {
    if (i < 0 || i >= static_cast<int>(items_.size())) {
        selected_ = -1;
        deleteEnabled_ = editEnabled_ = false;
    } else {
        selected_ = i;
        deleteEnabled_ = true;
        // Downloads have nothing to edit; the keyword decides, not "DOWN" in a title.
        editEnabled_ = macro::hasBody(macro::kindOf(items_[static_cast<size_t>(i)]));
    }
    notify();
}

bool ReserveEditor::refusedDuringRun() {
    if (!runActive_ || !runActive_())
        return false;
    host_.warn(sj(u8"通信中は予約を削除・編集できません．通信が終わってからにしてください．"));
    return true;
}

bool ReserveEditor::deleteClick() {
    if (!deleteEnabled_ || selected_ < 0 || refusedDuringRun())
        return false;
    if (!macro_.removeReservationAt(starts_[static_cast<size_t>(selected_)]))
        return false;
    refill();
    return true;
}

bool ReserveEditor::editClick() {
    if (!editEnabled_ || selected_ < 0 || refusedDuringRun())
        return false;
    macro::ReserveList& list = macro_.reserve();
    const int start = starts_[static_cast<size_t>(selected_)];
    const std::string header = list.ReserveLines(start);
    const SplitHeader h = splitHeader(header);
    base::Lines body;
    for (int i = start + 1; i < list.blockEnd(start); ++i)
        body.push_back(list.ReserveLines(i));
    // A block without its terminator (a damaged file) ends with the list.
    const int end = list.blockEnd(start);
    if (end > start && list.ReserveLines(end) != macro::ReserveList::kTerminator)
        body.push_back(list.ReserveLines(end));
    const std::string text = textFromBody(body);
    // The block leaves NET.MAC as well as the list: the writer reserves it again, and no
    // later load of the net may bring the old text back beside the new one.
    if (!macro_.removeReservationAt(start))
        return false;

    const int net = macro_.currentNet();
    const std::string netName = nets_.field(net, shell::kNetName);
    const std::string netNo = macro_.NetNo() == "-1" ? "999" : macro_.NetNo();
    switch (macro::kindOf(header)) {
    case BlockKind::NEWW:
    case BlockKind::UPFILE: {
        macro::NewSlot& s = macro_.newSlot();
        s.NewNetName = netName;
        s.NewNetNo = netNo;
        s.NewBoard = h.board;
        s.NewText = text;
        s.NewWriteMode = "EDIT";
        s.NewTitle = h.rest;
        if (macro::kindOf(header) == BlockKind::UPFILE) {
            s.UpFileName = base::nativePath(h.path);
            close();
            macro_.openUploadRequest();
            return true;
        }
        close();
        macro_.newwriteformcleateClick();
        return true;
    }
    case BlockKind::MAIL:
    case BlockKind::BMAIL: {
        macro::MailSlot& s = macro_.mailSlot();
        s.MailNetName = netName;
        s.MailNetNo = netNo;
        s.MailSendId = h.board;
        s.MailText = text;
        s.MailMode = "EDIT";
        s.MailTitle = h.rest;
        s.MailKind = base::copy(header, 1, 5);
        close();
        macro_.MailWriteFormCleateClick();
        return true;
    }
    case BlockKind::RES: {
        macro::ReplySlot& s = macro_.replySlot();
        s.ResNetNo = netNo;
        s.ResNetName = netName;
        s.ResText = text;
        s.ResNumber = h.rest;
        s.ResBoard = h.board;
        s.ResMode = "EDIT";
        close();
        macro_.resformcleateClick();
        return true;
    }
    default:
        return false; // downloads are not editable (editEnabled_ is false for them)
    }
}

} // namespace writers
