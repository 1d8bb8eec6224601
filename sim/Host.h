#pragma once
// The simulated bulletin-board host: one session at a time on one line, over a DataSet.
//
// Input arrives byte by byte through receive(). The host echoes what is typed (not the
// password), edits the line with backspace, and at each CR splits the line at ";" into
// type-ahead answers: "R;03;L;1;0;0" answers the main prompt with R, the board prompt with
// 03, the board menu with L, and so on. A prompt whose answer is already typed is not
// printed; a prompt with nothing typed ahead is printed without a line end and waits. Text
// entry (message bodies, mail, comments) takes whole lines until "//". During an MLINK
// transfer the bytes go to the MlinkPeer instead.
//
// Every dialogue is a chain of ask() calls whose handlers carry on; a dialogue ends by
// returning to the main prompt. Output goes through HostOutput; line shapes are in
// sim/HostText.h. What the terminal posts, mails, uploads and downloads is added to the
// SessionRecord and, where it lasts, to the DataSet.
//
// Commands at the main prompt (case does not matter):
//   N@  new messages of every board        FN  new files of every file board
//   R   read a board (?: board list; L: list; I: one message)
//   F   file boards (?: board list; L: list; MDn: download; MU: upload)
//   U   member list      I   settings (R: unread date)      Q   log out
//   ER  reply    EW  new message    EM  mail    EB  binary mail    ?  help    0  nothing
#include "base/EventLoop.h"
#include "sim/DataSet.h"
#include "sim/HostOutput.h"
#include "sim/MlinkPeer.h"
#include "sim/Options.h"
#include "sim/Record.h"

#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace sim {

class Host {
public:
    // `hangUp` drops the line (the modem loses the carrier); the host has already ended its
    // session when it calls it.
    Host(base::EventLoop& loop, DataSet& data, const HostOptions& options, SessionRecord& record,
         HostOutput& out, std::function<void()> hangUp);
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // A call came in: banner and login prompt after a short pause.
    void callUp();
    // Direct line: the host wakes at the first CR it receives.
    void waitForCr();
    // The line is gone (carrier lost, DTR dropped): the session ends without a word.
    void callDown();
    void receive(std::string_view bytes);

    bool inSession() const { return live_; }

private:
    using Answer = std::function<void(const std::string&)>;
    using TextDone = std::function<void(const base::Lines&)>;
    enum class Input { Off, WaitCr, Line, Secret, Text, Mlink };

    // Input and prompting (Host.cpp).
    void byte(char c);
    void lineEntered(const std::string& line);
    // Prints the prompt (in the login colour when `loginPrompt` and the host colours its
    // text) unless type-ahead answers it, then hands the next input line to `answer`.
    void ask(const std::string& prompt, Answer answer, bool loginPrompt = false);
    void askSecret(const std::string& prompt, Answer answer);
    void readText(TextDone done);
    void flushTypeAhead();
    void say(const std::string& line);
    // A heading or a message header line, coloured when the host colours its text.
    void sayHeading(const std::string& line);
    void sayHeader(const std::string& line);
    // Holds the dialogue for `ms`, then runs fn. Input arriving meanwhile is kept for after
    // the pause, or thrown away when `discardInput` (as after a failed transfer).
    void later(int ms, std::function<void()> fn, bool discardInput = false);
    void dropLine();
    void logoutSoon();
    void endSession();

    // Login, mail at login, the main prompt, logout (Host.cpp).
    void beginSession();
    void login();
    void askLogin();
    void loggedIn();
    void nextMail();
    void showMail();
    void askDeleteMail();
    void mainMenu();
    void command(const std::string& cmd);
    void help();
    void logout();
    void info();
    int minutesLeft();

    // Reading commands (HostReading.cpp).
    void newMessages();
    void newFiles();
    void askBoard();
    void boardMenu(MessageBoard& b);
    void readArticle(MessageBoard& b, int number);
    void printArticle(const MessageBoard& b, const Article& a);
    void askFileBoard();
    void fileMenu(FileBoard& b);
    void download(FileBoard& b, int number);
    void members();
    void printBoardList(bool fileBoards);
    void flood(const char* where);
    void listTail(const char* where);
    void chatNotice();

    // Writing commands (HostWriting.cpp).
    void reply();
    void newMessage();
    void compose(PostRecord post, std::string refusal);
    void askSavePost(PostRecord post, std::string refusal);
    bool refusesWriting(const MessageBoard& b) const;
    // A Yes/No question; No cancels the command and returns to the main prompt.
    void confirm(const std::string& prompt, std::function<void()> then);
    // Asks for the addressee; an unknown ID ends the command at the main prompt.
    void askRecipient(std::function<void(const std::string& id)> then);
    void mail();
    void askMailGroup(MailRecord m);
    void askMailTitle(MailRecord m);
    void askSaveMail(MailRecord m);
    void binaryMail();
    void askBinaryGroup(UploadRecord u);
    void askBinaryFile(UploadRecord u);
    void askSendBinary(UploadRecord u);
    void upload(FileBoard& b);
    void askUploadComment(FileBoard& b, UploadRecord u);
    void askRegister(FileBoard& b, UploadRecord u);
    void receiveUpload(UploadRecord u, FileBoard* b);
    void halfway(const MlinkPeer::Result& r);
    void transferFailedThen(const MlinkPeer::Result& r, std::function<void()> next);

    base::EventLoop& loop_;
    DataSet& data_;
    const HostOptions& options_;
    SessionRecord& record_;
    HostOutput& out_;
    std::function<void()> hangUp_;
    MlinkPeer mlink_;

    bool live_ = false;
    Input input_ = Input::Off;
    std::string line_;
    std::deque<std::string> typeAhead_;
    Answer pending_;
    bool pendingSecret_ = false;
    TextDone textDone_;
    base::Lines text_;

    // A pause in the dialogue: input is held until it ends.
    base::Timer pause_;
    std::function<void()> afterPause_;
    std::string held_;
    base::Timer idle_;
    // A frozen host answers nothing and sends only its keep-alive bytes.
    bool frozen_ = false;
    base::Timer keepAlive_;
    int keepAlives_ = 0;

    int loginTries_ = 0;
    int menus_ = 0;
    std::int64_t loginMs_ = 0;
    base::LocalDateTime previousLogin_;
    size_t mailCursor_ = 0;
    std::string fileBoardRef_; // the file board as the terminal named it
    int activeDownload_ = -1;  // index into record_.downloads during a download
    int activeUpload_ = -1;    // index into record_.uploads during an upload
    bool discardHeld_ = false;
};

} // namespace sim
