#include "writers/WriterModel.h"

#include "base/Path.h"
#include "base/Sjis.h"
#include "base/Text.h"
#include "macro/ReserveList.h"
#include "writers/WriterText.h"

#include <utility>

namespace writers {

using base::sj;

namespace {

// What the net's record says of the user.
std::optional<int> netIndex(const std::string& text) {
    return base::strToInt(text);
}

} // namespace

WriterModel::WriterModel(WriterContext ctx, WriterKind kind)
    : ctx_(std::move(ctx)), kind_(kind), timer1_(ctx_.loop, kTimer1Ms) {
    timer1_.setOnTimer([this] { Timer1Timer(); });
    closeState_ = kind_ == WriterKind::Reply ? "UNKNOW" : sj(u8"知らん");
}

WriterModel::~WriterModel() {
    ctx_.styles.release(this);
}

void WriterModel::notify() {
    if (view_)
        view_->writerChanged();
}

bool WriterModel::decided() const {
    return closeState_ == kYes || closeState_ == kNo;
}

void WriterModel::undecided() {
    closeState_ = kind_ == WriterKind::Mail ? std::string("?") : sj(u8"しらん");
}

void WriterModel::setTitle(std::string s, bool whole) {
    title_ = std::move(s);
    titleWhole_ = whole;
    notify(); // the caption follows the title
}

void WriterModel::setBMAIL(bool on) {
    bmail_ = on;
    notify(); // the title field's label follows
}

void WriterModel::setBody(const base::Lines& lines) {
    body_ = splitInnerBreaks(lines);
}

std::string WriterModel::caption() const {
    switch (kind_) {
    case WriterKind::Reply:
        return sj(u8"レス作成");
    case WriterKind::Upload:
        return sj(u8"ファイルのアップロード");
    case WriterKind::Mail:
        return title_.empty() ? sj(u8"メールの作成") : title_;
    case WriterKind::NewMessage:
        return title_;
    }
    return {};
}

std::string WriterModel::titleLabel() const {
    if (kind_ == WriterKind::Upload)
        return sj(u8"コメント");
    return kind_ == WriterKind::Mail && bmail_ ? sj(u8"ファイル名") : sj(u8"タイトル");
}

// --- Show handlers ---

void WriterModel::setStyleValuesFromNet(StyleValues& v) const {
    const int n = netIndex(netNumber_).value_or(-1);
    v.MeID = ctx_.nets.field(n, shell::kUserID);
    v.MeHandle = ctx_.nets.field(n, shell::kHandle);
}

void WriterModel::showStyle(Style s, const StyleValues& v) {
    if (ctx_.styles.servesOther(this) || ctx_.styles.shown()) {
        waitingStyle_.emplace(s, v);
        return;
    }
    waitingStyle_.reset();
    ctx_.styles.serve(this);
    ctx_.styles.setValues(v);
    ctx_.styles.check(s);
    ctx_.styles.FormShow();
}

void WriterModel::FormShow(const macro::ReplySlot& slot) {
    netName_ = slot.ResNetName;
    netNumber_ = slot.ResNetNo;
    body_ = bodyFromText(slot.ResText);
    resNo_ = slot.ResNumber;
    boardname_ = slot.ResBoard;
    netFolder_ = ctx_.nets.field(netIndex(netNumber_).value_or(-1), shell::kShortName);
    if (slot.ResMode != "NEW") {
        notify();
        return;
    }
    const std::string first = body_.empty() ? std::string() : body_.front();
    const Addressee a = addresseeOf(first);
    StyleValues v = ctx_.styles.values();
    v.ComID = a.id;
    v.ComHandle = a.handle;
    setStyleValuesFromNet(v);
    v.ResNo = resNo_;
    showStyle(Style::RES, v);
    body_ = quoteMessage(slot.ResText);
    timer1_.setEnabled(true);
    notify();
}

void WriterModel::FormShow(const macro::NewSlot& slot) {
    netName_ = slot.NewNetName;
    boardname_ = slot.NewBoard;
    netNumber_ = slot.NewNetNo;
    title_ = slot.NewTitle;
    titleWhole_ = fNameWhole_ = true;
    body_ = bodyFromText(slot.NewText);
    netFolder_ = ctx_.nets.field(netIndex(netNumber_).value_or(-1), shell::kShortName);
    if (kind_ == WriterKind::Upload) {
        // An upload request shows what the opener passed, fresh or re-edited alike.
        fName_ = base::nativePath(slot.UpFileName);
        notify();
        return;
    }
    if (slot.NewWriteMode != "NEW") {
        notify();
        return;
    }
    StyleValues v = ctx_.styles.values();
    setStyleValuesFromNet(v);
    showStyle(Style::New, v);
    timer1_.setEnabled(true);
    notify();
}

void WriterModel::FormShow(const macro::MailSlot& slot) {
    netName_ = slot.MailNetName;
    netNumber_ = slot.MailNetNo;
    body_ = bodyFromText(slot.MailText);
    title_ = slot.MailTitle;
    titleWhole_ = true;
    sendId_ = slot.MailSendId;
    netFolder_ = ctx_.nets.field(netIndex(netNumber_).value_or(-1), shell::kShortName);
    bmail_ = slot.MailKind == "BMAIL";
    if (bmail_)
        title_ = base::nativePath(title_);

    if (slot.MailMode == "RES") {
        const base::Lines lines = body_;
        const Addressee a = addresseeOf(lines.empty() ? std::string() : lines.front());
        StyleValues v = ctx_.styles.values();
        v.ComID = a.id;
        v.ComHandle = beforeFirstSpace(a.handle);
        sendId_ = v.ComID;
        setStyleValuesFromNet(v);
        v.ResNo = "0000";
        const std::string subject = lines.size() > 2 ? lines[2] : std::string();
        // Proposed within what checkMailTitle accepts, cut at a character boundary.
        title_ = "RE:" + cutBytes(base::copyFrom(subject, 6), kMaxTitle - 3);
        showStyle(Style::Mail, v);
        body_ = quoteMessage(slot.MailText);
        timer1_.setEnabled(true);
    } else if (slot.MailMode == "NEW") {
        StyleValues v = ctx_.styles.values();
        v.ComHandle = beforeFirstSpace(cutBytes(base::copyFrom(sendId_, 11), 80));
        v.ComID = cutBytes(sendId_, 8);
        setStyleValuesFromNet(v);
        v.ResNo = "0000";
        title_ = sj(u8"タイトルを入れてください.");
        showStyle(Style::Mail, v);
        timer1_.setEnabled(true);
    }
    notify();
}

// --- The text style ---

void WriterModel::Timer1Timer() {
    if (waitingStyle_) {
        const auto [style, values] = *waitingStyle_;
        showStyle(style, values); // shows it once the dialog is free
        return;
    }
    if (ctx_.styles.shown())
        return; // the dialog is still open
    timer1_.setEnabled(false);
    insertStyle();
    ctx_.styles.release(this);
}

void WriterModel::insertStyle() {
    const base::Lines& style = ctx_.styles.memo4();
    base::Lines framed;
    for (size_t i = 0; i < 3; ++i)
        framed.push_back(i < style.size() ? style[i] : std::string());
    framed.insert(framed.end(), body_.begin(), body_.end());
    for (size_t i = 3; i < style.size(); ++i)
        framed.push_back(style[i]);
    body_ = splitInnerBreaks(framed);
    notify();
}

// --- Reserving ---

std::string WriterModel::headerLine() const {
    switch (kind_) {
    case WriterKind::Reply:
        return "RES :" + boardname_ + "#" + resNo_;
    case WriterKind::NewMessage:
        return "NEWW :" + boardname_ + "#" + title_;
    case WriterKind::Mail:
        return (bmail_ ? "BMAIL :" : "MAIL :") + beforeFirstSpace(sendId_) + "#" +
               (bmail_ ? storedPath(title_) : title_);
    case WriterKind::Upload:
        return "UPFILE :" + boardname_ + "#" + title_ + "|" + storedPath(fName_);
    }
    return {};
}

std::optional<std::string> WriterModel::checkFields() const {
    std::optional<std::string> bad;
    switch (kind_) {
    case WriterKind::Reply:
        if (!(bad = checkBoard(boardname_)))
            bad = checkReplyNumber(resNo_);
        break;
    case WriterKind::NewMessage:
        if (!(bad = checkBoard(boardname_)))
            bad = checkNewTitle(title_);
        break;
    case WriterKind::Mail:
        if (!(bad = checkAddressee(beforeFirstSpace(sendId_), bmail_)))
            bad = bmail_ ? checkPath(storedPath(title_)) : checkMailTitle(title_);
        break;
    case WriterKind::Upload:
        if (!(bad = checkBoard(boardname_)) && !(bad = checkUploadComment(title_)))
            bad = checkPath(storedPath(fName_));
        break;
    }
    return bad;
}

bool WriterModel::FormCloseQuery() {
    if (view_)
        view_->bringToFront();
    if (!decided()) {
        switch (ctx_.dialogs.askYesNoCancel(sj(u8"アップロード予約しますか."))) {
        case Answer::Yes:
            closeState_ = kYes;
            break;
        case Answer::No:
            closeState_ = kNo;
            break;
        case Answer::Cancel:
            // The question comes again at the next close, in every writer: a cancelled
            // close never turns into a silent discard later.
            closeState_ = sj(u8"しらん");
            return false;
        }
    }
    if (closeState_ != kYes)
        return true;
    if (!reserve()) {
        undecided();
        return false;
    }
    return true;
}

bool WriterModel::reserve() {
    if (ctx_.runActive && ctx_.runActive()) {
        ctx_.dialogs.warn(
            sj(u8"通信中は予約できません．通信が終わってからもう一度予約してください．"));
        return false;
    }
    if (view_) {
        const std::vector<std::string> chars = view_->unsendableChars();
        if (!chars.empty()) {
            std::string text = reinterpret_cast<const char*>(
                u8"次の文字はShift-JISにないため送れません．取り除いてから予約してください．\n");
            for (const std::string& c : chars)
                text += reinterpret_cast<const char*>(u8"「") + c +
                        reinterpret_cast<const char*>(u8"」") + base::codePointName(c) + " ";
            text.pop_back();
            ctx_.dialogs.warnUtf8(text);
            return false;
        }
    }
    const auto net = netIndex(netNumber_);
    if (!net || !ctx_.nets.has(*net) || netFolder_.empty() ||
        ctx_.nets.field(*net, shell::kShortName) != netFolder_) {
        ctx_.dialogs.warn(sj(
            u8"このウィンドウを開いた後でネットリストが変わったため，予約するネットが分かりません．"
            u8"文章をコピーしてから開き直してください．"));
        return false;
    }
    if (auto bad = checkFields()) {
        ctx_.dialogs.warn(*bad);
        return false;
    }
    const bool needsFile = kind_ == WriterKind::Upload || (kind_ == WriterKind::Mail && bmail_);
    if (needsFile) {
        const bool upload = kind_ == WriterKind::Upload;
        const std::string& path = upload ? fName_ : title_;
        if (!(upload ? fNameWhole_ : titleWhole_)) {
            ctx_.dialogs.warn(
                sj(u8"ファイル名かフォルダ名にシフトJISで表せない文字があるため予約できません．"
                   u8"その文字のない名前のファイルを指定してください．"));
            return false;
        }
        // The same spelling the transfer opens when it sends the file.
        if (!base::fileExists(base::diskSpelling(base::nativePath(path))) &&
            !ctx_.dialogs.askYesNo(sj(u8"ファイルが存在しません。このまま予約してよろしいですが?")))
            return false;
        if (!fileNameFits(storedPath(path))) {
            ctx_.dialogs.warn(sj(u8"ファイル名は8.3のDOS形式でなくてはなりません。"));
            return false;
        }
    }
    // A body line "//" would end the block: it becomes ">//", on screen as well.
    for (std::string& line : body_)
        if (line == macro::ReserveList::kTerminator)
            line = macro::ReserveList::kEscapedTerminator;
    notify();
    return ctx_.macro.appendReservation(*net, macro::ReserveList::makeBlock(headerLine(), body_));
}

} // namespace writers
