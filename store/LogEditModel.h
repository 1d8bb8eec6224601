#pragma once
// The board file reorganiser behind the dialog "ログの整理" (TLogEditForm): it puts one
// message file MBOARDnn.DAT in order - one copy of each article, in ascending order of
// number, the later copy of a duplicate winning - and optionally removes articles (a number
// range, or all but the newest N), appending the removed ones to MBOARDnn.OLD.
//
// The dialog's controls are plain fields here so that the window only shows and edits
// them and the import can drive the same operation (go) with removal switched off. Paths:
// `baseFolder` is the data folder; the net folder is the net's short name as stored (with
// "\" between folders), turned into a native path only when a file is opened.
//
// A header whose number is not an article number (1-9999, four digits after "#") cannot be
// put in order; that article is left out of the rewritten file, appended to the .OLD file so
// nothing is lost, and reported in the error log. The .DAT file is rewritten atomically,
// and only after everything it held was read.
#include "base/ErrorLog.h"
#include "base/EventLoop.h"

#include <string>
#include <vector>

namespace store {

class LogEditModel {
public:
    enum class Result {
        Done,     // the file was put in order (and articles removed as asked)
        NoFile,   // the board names no message file that exists: nothing done
        BadRange, // the range or count makes no sense: nothing done
        Failed,   // a file could not be read or written; the error log has the reason
    };

    LogEditModel(base::EventLoop& loop, base::ErrorLog& errors, std::string baseFolder = ".");

    // The dialog is shown for the net whose folder is `netFolder`; `boardLine` is the board
    // list line selected in the net manager ("" when none is).
    void FormShow(const std::string& netFolder, const std::string& boardLine);
    // The net folder alone (the import sets it for its net).
    void setNetFolder(const std::string& netFolder) { netFolder_ = netFolder; }
    const std::string& netFolder() const { return netFolder_; }

    // Reorganises the board named by characters 3-4 of Panel1 with the fields below. The
    // fields it uses are read as they were typed: one that is not a number is refused
    // (BadRange, with a text naming it).
    Result go();
    // The error text of the last Failed or BadRange (Shift-JIS).
    const std::string& lastError() const { return lastError_; }

    // The note shown beside the options.
    static std::string Label3Text();
    // "ログの整理" and, once a board is chosen, "ログの整理 [folder\MBOARDnn.DAT ]".
    const std::string& caption() const { return caption_; }

    // The dialog's fields, as texts where the dialog holds texts.
    std::string Panel1;       // the board line; characters 3-4 are the board number
    bool CheckBox1 = true;    // "発言の削除行う": remove articles at all
    bool RadioButton2 = true; // keep the newest N (false: remove the range Edit1-Edit2)
    std::string Edit1 = "0";  // From
    std::string Edit2 = "0";  // To
    std::string Edit3 = "500";
    bool CheckBox2 = true; // append removed articles to the save file
    std::string Edit4;     // the save file, as shown

private:
    std::string path(const std::string& nn, const char* ext) const;
    Result fail(const std::string& text);

    base::EventLoop& loop_;
    base::ErrorLog& errors_;
    std::string base_;
    std::string netFolder_;
    std::string caption_;
    std::string lastError_;
};

} // namespace store
