#pragma once
// The reservation editor (TSendTxtEditForm): the pending reservations of the net the net
// manager shows, one item per block (its header line), with "削除" to delete one and
// "編集" to take one out of the list and reopen it in its writer.
//
// Items are blocks found by walking the list block by block, and an item addresses its
// block by that position: a body line that looks like a header, or two blocks with the
// same header, never make delete or edit act on the wrong lines. Nothing changes the list
// while a run works through it.
#include "macro/MacroModel.h"
#include "shell/NetList.h"

#include <functional>
#include <string>
#include <vector>

namespace writers {

class ReserveEditorHost {
public:
    virtual ~ReserveEditorHost() = default;
    virtual void setMainAndMacroEnabled(bool enabled) = 0;
    virtual void warn(const std::string& sjisText) = 0;
    // The text of the main window's net selector, for the caption.
    virtual std::string mainNetText() const = 0;
    virtual void hideReserveEditor() = 0;
};

class ReserveEditorView {
public:
    virtual ~ReserveEditorView() = default;
    virtual void editorChanged() = 0;
};

class ReserveEditor {
public:
    // `runActive` may be empty (no run can be on).
    ReserveEditor(macro::MacroModel& macro, const shell::NetList& nets, ReserveEditorHost& host,
                  std::function<bool()> runActive = {});
    void setView(ReserveEditorView* view) { view_ = view; }

    // Showing: disables the main windows, sets the caption, fills the list.
    void FormShow();
    // OK and the close box: enables the main windows and hides the editor.
    void close();

    const std::string& caption() const { return caption_; }
    // The header of every block, in list order.
    const std::vector<std::string>& items() const { return items_; }
    int selected() const { return selected_; }
    bool deleteEnabled() const { return deleteEnabled_; }
    bool editEnabled() const { return editEnabled_; }

    // A click on item i (-1 or out of range selects nothing).
    void ListBox1Click(int i);
    // "削除": removes the selected block and writes NET.MAC. False when refused.
    bool deleteClick();
    // "編集" (and a double click while it is enabled): takes the selected block out of the
    // list, fills its writer's hand-over slot, opens the writer and closes the editor.
    bool editClick();

    // Fills the list again from the reservation list.
    void refill();

private:
    bool refusedDuringRun();
    void notify();

    macro::MacroModel& macro_;
    const shell::NetList& nets_;
    ReserveEditorHost& host_;
    std::function<bool()> runActive_;
    ReserveEditorView* view_ = nullptr;

    std::string caption_;
    std::vector<std::string> items_;
    std::vector<int> starts_; // the line each item's block starts at
    int selected_ = -1;
    bool deleteEnabled_ = false;
    bool editEnabled_ = false;
};

// A header split as the editor reopens it: board (or recipient), the rest after "#"
// (at most 128 bytes) and, for an upload only, the path after the first "|".
struct SplitHeader {
    std::string board;
    std::string rest;
    std::string path;
};
SplitHeader splitHeader(const std::string& header);

} // namespace writers
