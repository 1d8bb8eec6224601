#pragma once
// The text styles: four small templates (TXTSTY0.dat .. TXTSTY3.dat in the data folder)
// whose first three lines frame a writer's text from above and whose other lines go below
// it. % codes in a template stand for the user's and the addressee's IDs and handles, the
// number of the message answered and the date and time; the expansion is what the writers
// insert.
//
// Data flow: a writer fills the value fields, checks the style of its kind (which saves
// the template shown and loads that style's file) and shows the dialog. While it is shown
// the main and net manager windows are disabled; the user edits Memo1, which is expanded
// at every change into memo4. Closing saves the template again; the writers notice that
// the dialog is no longer shown and take memo4's lines.
//
// A template is only ever written back to the file it was loaded from, or to the style it
// stands for once the user edited it: the built-in template that Memo1 holds before any
// style was loaded never overwrites a stored style on its own.
#include "base/EventLoop.h"
#include "base/LineFile.h"

#include <string>

namespace writers {

// The style buttons: New "新規発言", RES "レポンス", Mail "メール", OMAKE "おまけ".
enum class Style { New = 0, RES = 1, Mail = 2, OMAKE = 3 };
constexpr int kStyleCount = 4;

// The value fields of the dialog (Shift-JIS).
struct StyleValues {
    std::string MeHandle;  // %H
    std::string MeID;      // %I
    std::string ComHandle; // %h
    std::string ComID;     // %i
    std::string ResNo;     // %X
};

// Expands a template: one result line per template line and one empty line after them.
// In a line a "%" and the byte after it are replaced by the value of that code (case
// matters) or vanish when it is no code; a "%" before a double-byte character takes the
// whole character with it, and a "%" at the end of a line is dropped. `date` and `time`
// stand for %D and %T.
base::Lines expandStyle(const base::Lines& tmpl, const StyleValues& v, const std::string& date,
                        const std::string& time);

// The seven lines Memo1 holds until a style is loaded.
base::Lines builtInTemplate();

// The legend beside the template (Memo3), four lines.
base::Lines styleLegend();

// What the style dialog needs of the rest of the program.
class TextStyleHost {
public:
    virtual ~TextStyleHost() = default;
    virtual void setMainAndMacroEnabled(bool enabled) = 0;
    virtual void showStyleDialog() = 0;
    virtual void hideStyleDialog() = 0;
    virtual void warn(const std::string& sjisText) = 0;
    virtual bool askYesNo(const std::string& sjisText) = 0;
};

// Told when the template, the expansion, the checked button or the values change.
class TextStyleView {
public:
    virtual ~TextStyleView() = default;
    virtual void styleChanged() = 0;
};

class TextStyleModel {
public:
    // `folder` holds the style files; `loop` gives the date and time of the expansion.
    TextStyleModel(base::EventLoop& loop, TextStyleHost& host, std::string folder = ".");
    void setView(TextStyleView* view) { view_ = view; }

    static std::string fileName(int style); // "TXTSTY" + n + ".dat"

    // --- State ---
    const base::Lines& Memo1() const { return memo1_; }
    const base::Lines& memo4() const { return memo4_; }
    int StyleNo() const { return styleNo_; }
    Style checked() const { return checked_; }
    bool shown() const { return shown_; }
    StyleValues& values() { return values_; }
    const StyleValues& values() const { return values_; }
    void setValues(const StyleValues& v);

    // --- Operations ---
    // The user edited the template: it is expanded again.
    void setMemo1(const base::Lines& lines);
    // A style button is checked, by the user or by a writer. Checking the button that is
    // already checked changes nothing; another one saves the template shown and loads the
    // style's file. A save or load that fails is reported and leaves the template, the
    // style number and the checked button as they were.
    void check(Style s);
    // Shows the dialog: the main windows are disabled; with New checked style 0 is loaded
    // again; the template is expanded.
    void FormShow();
    // OK or the close box: saves the template and enables the main windows again. When
    // the save fails the user chooses between closing without saving and staying; false
    // when the dialog stays open.
    bool close();
    // Expands Memo1 into memo4 with the values and the time of now.
    void expand();

    // The dialog serves one writer at a time, from the moment that writer fills the values
    // until it has taken memo4: another writer's values would otherwise greet the wrong
    // person. `writer` only identifies the writer.
    bool servesOther(const void* writer) const { return user_ != nullptr && user_ != writer; }
    void serve(const void* writer) { user_ = writer; }
    void release(const void* writer) {
        if (user_ == writer)
            user_ = nullptr;
    }

private:
    bool save();
    bool load(int style);
    void notify();

    base::EventLoop& loop_;
    TextStyleHost& host_;
    TextStyleView* view_ = nullptr;
    std::string folder_;
    base::Lines memo1_;
    base::Lines memo4_;
    int styleNo_ = 0;
    Style checked_ = Style::New;
    int loadedFrom_ = -1; // the style whose file Memo1 was loaded from, -1 for none
    bool edited_ = false; // the user changed Memo1 since it was loaded
    bool shown_ = false;
    StyleValues values_;
    const void* user_ = nullptr; // the writer being served
};

} // namespace writers
