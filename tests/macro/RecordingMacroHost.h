#pragma once
// A MacroHost that keeps every call, in order, as a line of text, and offers the features
// a test lists, so tests can assert on the whole sequence of what the net manager asked
// of the rest of the program.
#include "base/Sjis.h"
#include "macro/MacroHost.h"

#include <set>
#include <string>
#include <vector>

struct RecordingMacroHost : macro::MacroHost {
    std::vector<std::string> calls;
    std::vector<std::string> warnings; // Shift-JIS texts, also in calls as "warn"
    std::vector<std::string> selectorNames;
    std::set<macro::Feature> provided;
    base::Lines importedLog;
    bool running = false; // a run is on

    void provideAll() {
        for (int f = 0; f <= static_cast<int>(macro::Feature::MailWriter); ++f)
            provided.insert(static_cast<macro::Feature>(f));
    }

    void warn(const std::string& text) override {
        warnings.push_back(text);
        calls.push_back("warn");
    }
    void setMainNetSelector(const std::vector<std::string>& names, int selected) override {
        selectorNames = names;
        calls.push_back("selector:" + std::to_string(names.size()) + ":" +
                        std::to_string(selected));
    }
    void selectMainNet(int index) override {
        calls.push_back("selectMain:" + std::to_string(index));
    }
    void showSettings(shell::SettingPage page) override {
        calls.push_back("settings:" + std::to_string(static_cast<int>(page)));
    }
    void showAbout() override { calls.push_back("about"); }
    void hideMacroWindow() override { calls.push_back("hideMacro"); }
    bool provides(macro::Feature f) const override { return provided.count(f) > 0; }
    bool runActive() const override { return running; }

    void stopTimerClock() override { calls.push_back("stopTimer"); }
    void hideErrorLog() override { calls.push_back("hideErrorLog"); }
    void showTerminal() override { calls.push_back("showTerminal"); }
    void startAutoLogin() override { calls.push_back("autoLogin"); }
    void openBoardViewer() override { calls.push_back("boardViewer"); }
    void openArticleList() override { calls.push_back("articleList"); }
    void showLogEdit() override { calls.push_back("logEdit"); }
    void showMemberList() override { calls.push_back("memberList"); }
    void openMailViewer() override { calls.push_back("mailViewer"); }
    void showTimerWindow() override { calls.push_back("timer"); }
    void showTextStyle() override { calls.push_back("textStyle"); }
    void showReserveEditor() override { calls.push_back("reserveEditor"); }
    void openReplyWriter() override { calls.push_back("replyWriter"); }
    void openNewWriter() override { calls.push_back("newWriter"); }
    void openMailWriter() override { calls.push_back("mailWriter"); }
    void openUploadRequest() override { calls.push_back("uploadRequest"); }
    void importLog(const base::Lines& lines) override {
        importedLog = lines;
        calls.push_back("importLog");
    }
};
