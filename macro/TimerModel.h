#pragma once
// The timer schedule: a list of entry lines (TimerEntry) kept in Timer.dat, edited in the
// timer window (TTimerSetForm) and checked by a clock that starts unattended runs.
//
// Data flow. load() reads Timer.dat, or the read-only starting copy Timer.NEW when there
// is none. The window shows the lines; clicking one commits the property panel (the
// edited entry's line is rebuilt from it) and shows the clicked entry in the panel. The
// window hands every edit of the panel to setPanel(); closing commits and saves.
//
// The clock ticks every 4999 ms on the program's loop from creation. A tick starts nothing
// while the clock is switched off (a run started from the net manager switches it off, and
// the host switches it on again when the run and its import have finished), while the host
// says no run may start (a run in progress, an import running, a window that edits shared
// state, a message box waiting for an answer) or while the list is empty. Otherwise it walks
// the entries in list order: an enabled entry whose conditions hold and that is not done is
// marked done (and disabled when it is once-only), the change is saved at once, its net is
// chosen in the net manager and a run is started there exactly as "ログイン" starts one; at
// most one run starts per tick. An entry that no longer holds loses its done flag.
//
// A scheduled run is never lost to whatever held the clock back. A held-back tick changes
// no entry, but notes each entry that would have fired then (as it would have been by then:
// an entry whose done flag would have been cleared in the meantime counts as not done). When
// the clock may start runs again, those missed entries fire first, one per tick, in the
// order they came due, whether or not their conditions still hold. An entry edited or
// deleted in the meantime is no longer missed. What keeps an entry from firing is never a
// message box (nobody may be there to answer it): it is a status text and a line of the
// error log, once per entry.
//
// An entry fires only when its net number names a net of the net manager's list whose
// name still matches the name stored with the entry, so renumbering the nets (deleting
// one) never makes an entry dial another host.
#include "base/EventLoop.h"
#include "base/LineFile.h"
#include "macro/TimerEntry.h"

#include <set>
#include <string>
#include <vector>

namespace macro {

class MacroModel;

// What the timer schedule needs of the rest of the program.
class TimerHost {
public:
    virtual ~TimerHost() = default;
    // False while no run may start: a run in progress, an import running, or the main
    // window disabled by another window.
    virtual bool mayStartRun() = 0;
    // A warning box ("警告です．") with this Shift-JIS text, for what the user just did.
    virtual void warn(const std::string& sjisText) = 0;
    // What the clock did not do, when nobody may be there: the main window's status text
    // and a line of the error log.
    virtual void report(const std::string& sjisText) = 0;
    // The main window and the net manager are disabled while the timer window is shown.
    virtual void setMainAndMacroEnabled(bool enabled) = 0;
};

// The timer window, told after every change the model makes on its own (the clock) or for
// the window, so it can show the list and the panel again.
class TimerView {
public:
    virtual ~TimerView() = default;
    virtual void timerChanged() = 0;
};

// The property panel as the user sees it.
struct TimerPanel {
    bool Enable = false; // "予約実行"
    int netIndex = -1;   // selected entry of the net selector, -1 for none
    std::string netName; // the name stored with the entry (Shift-JIS)
    int day = 1;
    int hour = 0;
    int minute = 0;
    std::string weekday;     // as shown or typed
    int weekdayPosition = 1; // the up-down control, 1 (日曜日) .. 7 (土曜日)
    bool everyTime = false;  // "毎回"
    bool onceOnly = false;   // "一回だけ"
    bool hourCondition = false;
    bool minuteCondition = false;
    bool dateCondition = false;
    bool weekdayCondition = false;
    bool done = false; // "動作済"

    bool operator==(const TimerPanel&) const = default;
};

class TimerModel {
public:
    static constexpr int kClockMs = 4999;
    static constexpr const char* kFileName = "Timer.dat";
    static constexpr const char* kStartingCopy = "Timer.NEW";
    // Entries name nets 0..99, so the net selector lists at most this many nets.
    static constexpr int kSelectableNets = 100;

    // `macro` is the net manager through which runs start and whose net list names the
    // nets; it, `loop` and `host` must outlive the model. `folder` holds Timer.dat. The
    // clock runs from here on.
    TimerModel(base::EventLoop& loop, MacroModel& macro, TimerHost& host, std::string folder = ".");
    void setView(TimerView* view) { view_ = view; }

    // Reads Timer.dat, else Timer.NEW. When neither can be read the list is empty and the
    // user is told; unreadable entries are reported once, in one warning.
    void load();
    // Replaces Timer.dat atomically with the list. A failure is reported (once until a
    // save succeeds) and leaves the old file; when Timer.dat existed but could not be read,
    // nothing is written over it. True when the file was written.
    bool save();
    std::string filePath() const;

    // --- The list and the edited entry. ---
    const base::Lines& lines() const { return lines_; }
    int count() const { return static_cast<int>(lines_.size()); }
    // Entry i as the list shows it ("" outside the list). An older file may hold a name or
    // weekday cut through a double-byte character; that half character shows as a blank.
    // The stored line is not changed.
    std::string shownLine(int index) const;
    // The entry shown in the property panel, -1 for none.
    int edited() const { return edited_; }
    // What keeps entry i from firing, for the user ("" when nothing does).
    std::string problem(int index) const;
    // The same for the entry as the panel would write it now.
    std::string panelProblem() const;

    // --- The property panel. ---
    const TimerPanel& panel() const { return panel_; }
    // The user changed the panel; values are kept as given, numbers clamped to their range.
    void setPanel(const TimerPanel& panel);
    // The net selector's items: the net manager's net names (at most kSelectableNets).
    const std::vector<std::string>& netNames() const { return netNames_; }
    // The user picked net `index` in the selector: the entry will name it.
    void chooseNet(int index);
    // The weekday up-down moved to `position` (1..7): its name goes into the weekday field.
    void setWeekdayPosition(int position);

    // Rebuilds the edited entry's line from the panel. With no net selected the entry keeps
    // its net number. An unreadable entry the user did not change keeps its text.
    void commit();
    // Clicking entry `index`: commits, and shows that entry in the panel (-1 or an index
    // outside the list: no entry edited).
    void ListBox1Click(int index);
    // "新規予約項目": commits and appends the new-entry line; no entry edited.
    void addNew();
    // "削除" with entry `index` selected: commits and deletes it; no entry edited. An index
    // outside the list deletes nothing.
    void deleteEntry(int index);

    // Nets were deleted from the net list of `before` nets: net n is now the one that was
    // origin[n] (-1 for a new one). Each entry takes its net's new number; an entry whose
    // net is gone is disabled, so it can never dial the net that took the number. Entries
    // naming no net before are left as they are. Saved at once.
    void followNets(const std::vector<int>& origin, int before);

    // The window is shown: the net selector takes the net manager's names again, and the
    // main window and the net manager are disabled.
    void FormShow();
    // The window closes: commits, saves Timer.dat, no entry edited, both windows enabled.
    void FormClose();

    // --- The clock. ---
    // Whether the clock may start runs; it keeps ticking either way, to note missed entries.
    bool clockEnabled() const { return clockOn_; }
    void setClockEnabled(bool on) { clockOn_ = on; }
    // One check of the schedule (the clock's handler).
    void Timer1Timer();
    // The entry lines that came due while the clock was held back, in the order they did.
    const base::Lines& missed() const { return missed_; }

private:
    void showEntry(int index);
    TimerEntry entryFromPanel(const TimerEntry& old) const;
    std::string problemOf(const TimerEntry& entry) const;
    void setLine(int index, const TimerEntry& entry);
    void refreshNetNames();
    bool netMatches(const TimerEntry& entry) const;
    bool startRun(int net);
    bool write(bool byClock);
    // A tick while no run may start: notes the entries that would have fired.
    void noteMissed(const base::LocalDateTime& now);
    // Fires the first missed entry that can still fire; true when a run started.
    bool fireMissed();
    // Marks entry i done (and disabled when once-only), saves and starts its run; when the
    // run cannot start the entry is put back as it was. True when a run started.
    bool fire(int index, TimerEntry entry);
    // Reports, once per entry line, why entry i cannot fire (nothing when it can).
    bool refused(int index, const TimerEntry& entry);
    void notify();

    base::EventLoop& loop_;
    MacroModel& macro_;
    TimerHost& host_;
    std::string folder_;
    TimerView* view_ = nullptr;
    base::Timer clock_;

    base::Lines lines_;
    int edited_ = -1;
    TimerPanel panel_;
    TimerPanel shown_; // the panel as showEntry filled it, to see whether the user changed it
    std::vector<std::string> netNames_;

    bool inTick_ = false;
    bool clockOn_ = true;
    base::Lines missed_;
    // Lines of done entries that stopped holding while the clock was held back: their done
    // flag would have been cleared, so they may come due again.
    std::set<std::string> lapsed_;
    bool keepUnreadFile_ = false; // Timer.dat exists but could not be read
    bool saveFailureTold_ = false;
    std::set<std::string> toldRefused_; // entry lines whose refusal was reported
};

} // namespace macro
