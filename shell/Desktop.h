#pragma once
// Calls from one window to another go through this interface, which the Qt composition
// root implements and tests implement without windows. It lives with the shell, which owns
// the desktop, so that every window that calls it sits at or above this folder. Texts are
// Shift-JIS.
#include "shell/SettingPage.h"

#include <string>

namespace shell {

class Desktop {
public:
    virtual ~Desktop() = default;

    // A warning box ("警告です．") and a Yes/No question ("質問です．"), true for Yes.
    virtual void warn(const std::string& sjisText) = 0;
    virtual bool ask(const std::string& sjisText) = 0;

    // The settings window with one of its pages in front.
    virtual void showSettings(SettingPage page) = 0;
    // The about box.
    virtual void showAbout() = 0;
    // The main window's first show: the start-up procedure.
    virtual void startUp() = 0;
    // The main window is closing: save what it owns. False when the program stays open
    // (a child window refused to close, its user chose Cancel); nothing is saved then.
    virtual bool closing() = 0;
};

} // namespace shell
