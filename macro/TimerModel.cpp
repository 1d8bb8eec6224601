#include "macro/TimerModel.h"

#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "macro/MacroModel.h"

#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace macro {

namespace {

std::string withoutTrailingBlanks(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// The stored name as an older file may hold it too: the name and 16 blanks cut at 16
// bytes, even through a double-byte character.
std::string byteCutName(const std::string& name) {
    return (name + std::string(TimerEntry::kNameBytes, ' ')).substr(0, TimerEntry::kNameBytes);
}

// A stored name or weekday field as the user sees it: an older file may have cut it
// through a double-byte character, whose first half then shows as a blank.
std::string shownField(const std::string& field) {
    return base::copyColumns(field, 1, static_cast<int>(field.size()));
}

// True when the path names anything at all (a file, a folder, a broken link).
bool somethingAt(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string twoDigits(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

} // namespace

TimerModel::TimerModel(base::EventLoop& loop, MacroModel& macro, TimerHost& host,
                       std::string folder)
    : loop_(loop), macro_(macro), host_(host), folder_(std::move(folder)),
      clock_(loop, kClockMs, [this] { Timer1Timer(); }) {
    clock_.setEnabled(true);
}

void TimerModel::notify() {
    if (view_)
        view_->timerChanged();
}

std::string TimerModel::filePath() const {
    return base::joinPath(folder_, kFileName);
}

// --- Timer.dat ---

void TimerModel::load() {
    lines_.clear();
    edited_ = -1;
    keepUnreadFile_ = false;
    bool startingCopy = false;
    try {
        if (somethingAt(filePath())) {
            lines_ = base::readLines(filePath());
        } else {
            startingCopy = true;
            lines_ = base::readLines(base::joinPath(folder_, kStartingCopy));
        }
    } catch (const base::FileError& e) {
        // A Timer.dat that is there but cannot be read is the user's: never replaced.
        keepUnreadFile_ = !startingCopy;
        lines_.clear();
        host_.warn(base::sj(u8"タイマー予約を読み込めませんでした．予約は空で始まります．") +
                   "\r\n" + e.what());
        notify();
        return;
    }
    std::string unreadable;
    for (int i = 0; i < count(); ++i) {
        if (!parseTimerLine(lines_[static_cast<size_t>(i)]).readable)
            unreadable += (unreadable.empty() ? "" : ", ") + std::to_string(i + 1);
    }
    if (!unreadable.empty())
        host_.warn(base::sj(u8"Timer.dat の次の行は書式が正しくないため，無効な予約として"
                            u8"そのまま表示します：") +
                   unreadable);
    notify();
}

bool TimerModel::save() {
    return write(false);
}

bool TimerModel::write(bool byClock) {
    // The clock's saves happen when nobody may be there: what fails is reported, not asked.
    auto tell = [&](const std::string& text) {
        if (saveFailureTold_)
            return;
        saveFailureTold_ = true;
        if (byClock)
            host_.report(text);
        else
            host_.warn(text);
    };
    if (keepUnreadFile_) {
        tell(base::sj(u8"Timer.dat を読めなかったので，上書きせずに残します．"));
        return false;
    }
    try {
        base::replaceLines(filePath(), lines_);
    } catch (const base::FileError& e) {
        tell(base::sj(u8"タイマー予約を保存できませんでした．") + (byClock ? " " : "\r\n") +
             e.what());
        return false;
    }
    saveFailureTold_ = false;
    return true;
}

// --- The list and the panel ---

void TimerModel::refreshNetNames() {
    const auto& names = macro_.netNames();
    const size_t n = std::min(names.size(), static_cast<size_t>(kSelectableNets));
    netNames_.assign(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(n));
}

bool TimerModel::netMatches(const TimerEntry& e) const {
    const auto& names = macro_.netNames();
    if (e.net < 0 || e.net >= static_cast<int>(names.size()))
        return false;
    const std::string& current = names[static_cast<size_t>(e.net)];
    return e.name == fitField(current, TimerEntry::kNameBytes) || e.name == byteCutName(current);
}

std::string TimerModel::shownLine(int index) const {
    if (index < 0 || index >= count())
        return {};
    const std::string& line = lines_[static_cast<size_t>(index)];
    if (!parseTimerLine(line).readable)
        return line; // positions mean nothing in a line that does not fit the format
    return base::copy(line, 1, 4) + shownField(base::copy(line, 5, TimerEntry::kNameBytes)) +
           base::copy(line, 21, 10) + shownField(base::copy(line, 31, TimerEntry::kWeekdayBytes)) +
           base::copyFrom(line, 37);
}

std::string TimerModel::problem(int index) const {
    if (index < 0 || index >= count())
        return {};
    return problemOf(parseTimerLine(lines_[static_cast<size_t>(index)]));
}

std::string TimerModel::panelProblem() const {
    if (edited_ < 0 || edited_ >= count())
        return {};
    const TimerEntry old = parseTimerLine(lines_[static_cast<size_t>(edited_)]);
    if (!old.readable && panel_ == shown_)
        return old.problem;
    return problemOf(parseTimerLine(formatTimerLine(entryFromPanel(old))));
}

std::string TimerModel::problemOf(const TimerEntry& e) const {
    if (!e.readable)
        return e.problem;
    const auto& names = macro_.netNames();
    if (e.net >= static_cast<int>(names.size()))
        return base::sj(u8"ネット番号 ") + twoDigits(e.net) +
               base::sj(u8" のネットはありません．ネットを選んでください．");
    if (!netMatches(e))
        return base::sj(u8"ネット ") + twoDigits(e.net) + base::sj(u8" は今「") +
               names[static_cast<size_t>(e.net)] + base::sj(u8"」です．登録名「") +
               withoutTrailingBlanks(shownField(e.name)) +
               base::sj(u8"」と違うので実行しません．ネットを選び直してください．");
    return {};
}

void TimerModel::setPanel(const TimerPanel& p) {
    panel_ = p;
    panel_.day = std::clamp(panel_.day, 1, 31);
    panel_.hour = std::clamp(panel_.hour, 0, 23);
    panel_.minute = std::clamp(panel_.minute, 0, 59);
    panel_.weekdayPosition = std::clamp(panel_.weekdayPosition, 1, 7);
    if (panel_.netIndex >= static_cast<int>(netNames_.size()))
        panel_.netIndex = -1;
}

void TimerModel::chooseNet(int index) {
    if (index < 0 || index >= static_cast<int>(netNames_.size()))
        return;
    panel_.netIndex = index;
    panel_.netName = netNames_[static_cast<size_t>(index)];
}

void TimerModel::setWeekdayPosition(int position) {
    panel_.weekdayPosition = std::clamp(position, 1, 7);
    panel_.weekday = base::weekdayName(panel_.weekdayPosition - 1);
}

void TimerModel::showEntry(int index) {
    const TimerEntry e = parseTimerLine(lines_[static_cast<size_t>(index)]);
    TimerPanel p;
    p.Enable = e.enabled;
    p.netIndex = e.net < static_cast<int>(netNames_.size()) ? e.net : -1;
    p.netName = withoutTrailingBlanks(shownField(e.name));
    p.day = e.day;
    p.hour = e.hour;
    p.minute = e.minute;
    p.weekday = withoutTrailingBlanks(shownField(e.weekday));
    p.weekdayPosition = panel_.weekdayPosition;
    for (int w = 0; w < 7; ++w)
        if (p.weekday == base::weekdayName(w))
            p.weekdayPosition = w + 1;
    p.everyTime = e.everyTime;
    p.onceOnly = e.onceOnly;
    p.hourCondition = e.hourCondition;
    p.minuteCondition = e.minuteCondition;
    p.dateCondition = e.dateCondition;
    p.weekdayCondition = e.weekdayCondition;
    p.done = e.done;
    panel_ = p;
    shown_ = p;
}

TimerEntry TimerModel::entryFromPanel(const TimerEntry& old) const {
    TimerEntry e;
    e.enabled = panel_.Enable;
    e.net = panel_.netIndex >= 0 ? panel_.netIndex : old.net;
    // A name or weekday the user left alone keeps its stored bytes, as an older file may
    // hold them, so an entry is never changed by being looked at.
    e.name = panel_.netName == shown_.netName ? old.name : panel_.netName;
    e.day = panel_.day;
    e.hour = panel_.hour;
    e.minute = panel_.minute;
    e.weekday = panel_.weekday == shown_.weekday ? old.weekday : panel_.weekday;
    e.everyTime = panel_.everyTime;
    e.onceOnly = panel_.onceOnly;
    e.hourCondition = panel_.hourCondition;
    e.minuteCondition = panel_.minuteCondition;
    e.dateCondition = panel_.dateCondition;
    e.weekdayCondition = panel_.weekdayCondition;
    e.done = panel_.done;
    return e;
}

void TimerModel::commit() {
    if (edited_ < 0 || edited_ >= count()) {
        edited_ = -1;
        return;
    }
    const TimerEntry old = parseTimerLine(lines_[static_cast<size_t>(edited_)]);
    if (!old.readable && panel_ == shown_)
        return; // a hand-edited line stays as it was until the user changes it
    const TimerEntry e = entryFromPanel(old);
    lines_[static_cast<size_t>(edited_)] = formatTimerLine(e);
    shown_ = panel_;
}

void TimerModel::ListBox1Click(int index) {
    commit();
    if (index < 0 || index >= count()) {
        edited_ = -1;
    } else {
        edited_ = index;
        showEntry(index);
    }
    notify();
}

void TimerModel::addNew() {
    commit();
    lines_.push_back(newTimerLine());
    edited_ = -1;
    notify();
}

void TimerModel::deleteEntry(int index) {
    if (index < 0 || index >= count())
        return;
    commit();
    lines_.erase(lines_.begin() + index);
    edited_ = -1;
    notify();
}

void TimerModel::followNets(const std::vector<int>& origin, int before) {
    commit();
    bool changed = false;
    for (std::string& line : lines_) {
        TimerEntry e = parseTimerLine(line);
        if (!e.readable || e.net >= before)
            continue;
        const auto it = std::find(origin.begin(), origin.end(), e.net);
        const int net = it != origin.end() ? static_cast<int>(it - origin.begin()) : e.net;
        const bool enabled = it != origin.end() && e.enabled;
        if (net == e.net && enabled == e.enabled)
            continue; // unchanged: the line keeps its bytes
        e.net = net;
        e.enabled = enabled;
        line = formatTimerLine(e);
        changed = true;
    }
    refreshNetNames();
    if (edited_ >= 0 && edited_ < count())
        showEntry(edited_);
    if (changed)
        save();
    notify();
}

void TimerModel::FormShow() {
    refreshNetNames();
    host_.setMainAndMacroEnabled(false);
    notify();
}

void TimerModel::FormClose() {
    commit();
    save();
    edited_ = -1;
    host_.setMainAndMacroEnabled(true);
    notify();
}

// --- The clock ---

void TimerModel::setLine(int index, const TimerEntry& entry) {
    lines_[static_cast<size_t>(index)] = formatTimerLine(entry);
    // The panel must not carry the old state back over the clock's change.
    if (index == edited_)
        showEntry(index);
}

bool TimerModel::startRun(int net) {
    macro_.ListBox1Click(net);
    if (macro_.selectedNet() != net || macro_.currentNet() != net)
        return false;
    return macro_.BitBtn2Click();
}

bool TimerModel::refused(int index, const TimerEntry& e) {
    if (e.net < static_cast<int>(macro_.netNames().size()) && netMatches(e))
        return false;
    const std::string& line = lines_[static_cast<size_t>(index)];
    if (toldRefused_.insert(line).second)
        host_.report(base::sj(u8"タイマー予約 ") + std::to_string(index + 1) +
                     base::sj(u8" 行目: ") + problem(index));
    return true;
}

bool TimerModel::fire(int index, TimerEntry e) {
    const std::string before = lines_[static_cast<size_t>(index)];
    e.done = true;
    if (e.onceOnly)
        e.enabled = false;
    setLine(index, e);
    write(true);
    notify();
    if (startRun(e.net))
        return true;
    // Nothing was started, so the entry is not used up.
    lines_[static_cast<size_t>(index)] = before;
    if (index == edited_)
        showEntry(index);
    write(true);
    notify();
    return false;
}

void TimerModel::noteMissed(const base::LocalDateTime& now) {
    for (const std::string& line : lines_) {
        const TimerEntry e = parseTimerLine(line);
        if (!e.readable || !e.enabled)
            continue;
        if (!e.holdsAt(now)) {
            if (e.done)
                lapsed_.insert(line);
            continue;
        }
        if (e.done && !lapsed_.count(line))
            continue;
        if (std::find(missed_.begin(), missed_.end(), line) == missed_.end())
            missed_.push_back(line);
    }
}

bool TimerModel::fireMissed() {
    while (!missed_.empty()) {
        const std::string line = missed_.front();
        missed_.erase(missed_.begin());
        const auto it = std::find(lines_.begin(), lines_.end(), line);
        if (it == lines_.end())
            continue; // edited or deleted since
        const int index = static_cast<int>(it - lines_.begin());
        const TimerEntry e = parseTimerLine(line);
        if (!e.enabled || refused(index, e))
            continue;
        if (fire(index, e))
            return true;
    }
    return false;
}

void TimerModel::Timer1Timer() {
    // A message box opened from within a run's start lets the loop run again; such a
    // nested tick must not start a second run.
    if (inTick_ || lines_.empty())
        return;
    struct TickGuard {
        bool& flag;
        explicit TickGuard(bool& f) : flag(f) { flag = true; }
        ~TickGuard() { flag = false; }
    } guard(inTick_);
    const base::LocalDateTime now = loop_.localNow();
    if (!clockOn_ || !host_.mayStartRun()) {
        noteMissed(now);
        return;
    }
    lapsed_.clear();
    if (fireMissed())
        return;
    bool changed = false;
    for (int i = 0; i < count(); ++i) {
        TimerEntry e = parseTimerLine(lines_[static_cast<size_t>(i)]);
        if (!e.enabled)
            continue;
        if (!e.holdsAt(now)) {
            if (e.done) {
                e.done = false;
                setLine(i, e);
                changed = true;
            }
            continue;
        }
        if (e.done || refused(i, e))
            continue;
        fire(i, e);
        return;
    }
    if (changed) {
        write(true);
        notify();
    }
}

} // namespace macro
