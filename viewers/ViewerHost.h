#pragma once
// What every viewer needs of the rest of the program: message boxes and the main window's
// status text and progress bar. The composition root implements it over the Qt windows;
// tests record the calls and answer the questions. Texts are Shift-JIS.
#include <string>

namespace viewers {

class ViewerHost {
public:
    virtual ~ViewerHost() = default;
    // A warning box ("警告です．").
    virtual void warn(const std::string& sjisText) = 0;
    // A Yes/No question ("質問です．"); true for Yes.
    virtual bool ask(const std::string& sjisText) = 0;
    // A box titled "ごめんなさい" (nothing further to go to).
    virtual void sorry(const std::string& sjisText) = 0;
    // The main window's status text and progress bar (0-100).
    virtual void showStatus(const std::string& sjisText) = 0;
    virtual void showProgress(int percent) = 0;
    // Shows the member list window (the mail viewer's "新規").
    virtual void showMemberList() {}
};

} // namespace viewers
