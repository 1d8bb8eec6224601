#include "app/Runner.h"

#include "base/Sjis.h"
#include "sim/Fixture.h"
#include "sim/SimLinePeer.h"

#include <csignal>
#include <cstdlib>

namespace app {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

bool allDigits(const std::string& s) {
    if (s.empty() || s.size() > 4)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

std::string outcomeReason(engine::RunOutcome outcome) {
    using O = engine::RunOutcome;
    switch (outcome) {
    case O::Completed:
        return {};
    case O::LineLost:
        return "the line was lost before the command list was done";
    case O::TimedOut:
        return "the modem or the host stopped answering";
    case O::OpenFailed:
        return "the port or the capture log could not be opened";
    case O::Forced:
        return "the run was stopped";
    case O::TableFull:
        return "the host sent more lines than a run can hold";
    case O::NoHangUp:
        return "the line stayed up after the hang-up";
    case O::NotStarted:
        return "the capture log VESPARI.LOG left by an earlier run could not be imported; the "
               "run did not start and the capture log was kept";
    case O::None:
        break;
    }
    return "the run did not end";
}

int Runner::exitStatus(engine::RunOutcome outcome, bool resultsSaved) {
    if (outcome == engine::RunOutcome::NotStarted || !resultsSaved)
        return kNotSaved;
    return outcome == engine::RunOutcome::Completed ? kDone : kFailed;
}

void installRunSignals() {
    struct sigaction sa {};
    sa.sa_handler = [](int) { Runner::requestStop(); };
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

// The same start-up order as the desktop program: settings, net list, net manager.
Runner::Runner(Options options)
    : options_(std::move(options)), frameModel_(*this),
      settingModel_(nets_, frameModel_.fonts(), *this), macroModel_(nets_, *this), comm_(loop_),
      port_(comm_),
      vazev_({loop_, port_, nets_, settingModel_.modems(), macroModel_, errorLog_, *this, "."}),
      logEdit_(loop_, errorLog_), conv_({loop_, nets_, logEdit_, errorLog_, *this, "."}),
      stopWatch_(loop_, 100, [this] { checkStopRequest(); }) {
    port_.attach(&vazev_);
    vazev_.setView(this);
    vazev_.setTransfer(&transfer_);
    if (!options_.simFixture.empty()) {
        try {
            simPeer_ =
                std::make_unique<sim::SimLinePeer>(loop_, sim::loadFixture(options_.simFixture));
            comm_.setSimLine(simPeer_.get());
        } catch (const sim::FixtureError& e) {
            std::fprintf(options_.err, "tarno: the simulated host cannot start: %s\n", e.what());
        }
    }
}

Runner::~Runner() = default;

void Runner::requestStop() {
    stopRequested = 1;
}

int Runner::findNet() const {
    const std::string& want = options_.net;
    if (allDigits(want)) {
        int i = std::atoi(want.c_str());
        if (i > macro::MacroModel::kMaxNet && nets_.has(i)) {
            std::fprintf(options_.err,
                         "tarno: net %d cannot be run: only nets 0 to %d are served (the list "
                         "has %d)\n",
                         i, macro::MacroModel::kMaxNet, nets_.count());
            return -1;
        }
        if (nets_.has(i))
            return i;
        std::fprintf(options_.err, "tarno: there is no net %d (the list has %d)\n", i,
                     nets_.count());
        return -1;
    }
    for (int i = 0; i < nets_.count(); ++i)
        if (nets_.field(i, shell::kShortName) == want)
            return i;
    for (int i = 0; i < nets_.count(); ++i)
        if (upper(nets_.field(i, shell::kShortName)) == upper(want))
            return i;
    std::fprintf(options_.err, "tarno: there is no net with the short name %s\n", want.c_str());
    return -1;
}

int Runner::run() {
    settingModel_.loadNetList();
    errorLog_.load();
    frameModel_.START(settingModel_);
    macroModel_.FormShow();

    const int net = findNet();
    if (net < 0)
        return kUsage;
    macroModel_.ListBox1Click(net);
    if (macroModel_.selectedNet() != net || !macroModel_.BitBtn2Click()) {
        std::fprintf(options_.err, "tarno: net %d cannot be run\n", net);
        return kUsage;
    }
    stopWatch_.setEnabled(true);
    if (!finished_)
        loop_.run();
    stopWatch_.setEnabled(false);

    const engine::RunOutcome outcome = vazev_.outcome();
    std::string reason = outcomeReason(outcome);
    // An open failure's status names the device and the cause.
    if (outcome == engine::RunOutcome::OpenFailed)
        reason += ": " + base::toUtf8(vazev_.status());
    if (!reason.empty())
        std::fprintf(options_.err, "tarno: %s\n", reason.c_str());
    if (!vazev_.resultsSaved())
        std::fprintf(options_.err,
                     "tarno: what the run did could not be saved (%s); the reservations it "
                     "carried out may be carried out again\n",
                     notSaved_.empty() ? "see ERROR.LOG" : notSaved_.c_str());
    return exitStatus(outcome, vazev_.resultsSaved());
}

void Runner::checkStopRequest() {
    if (!stopRequested || stopping_)
        return;
    stopping_ = true;
    vazev_.Button2Click();
}

void Runner::warn(const std::string& sjisText) {
    std::fprintf(options_.err, "tarno: %s\n", base::toUtf8(sjisText).c_str());
}

bool Runner::LogConv(const std::vector<std::string>& lines, int writePointer, int netNo) {
    if (conv_.LogConv(lines, writePointer, netNo))
        return true;
    notSaved_ = "the import failed: " + base::toUtf8(conv_.lastError()) +
                "; VESPARI.LOG is kept and imported before the next run";
    return false;
}

engine::RunHost::Recovery recoverBeforeRun(store::ConvModel& conv) {
    using R = engine::RunHost::Recovery;
    switch (conv.recoverCaptureLog(false)) {
    case store::ConvModel::Recovery::Imported:
        return R::Imported;
    case store::ConvModel::Recovery::Failed:
        return R::Failed;
    default:
        return R::Nothing;
    }
}

engine::RunHost::Recovery Runner::recoverLeftOverCapture() {
    const Recovery r = recoverBeforeRun(conv_);
    if (r == Recovery::Failed && !conv_.lastError().empty())
        std::fprintf(options_.err, "tarno: %s\n", base::toUtf8(conv_.lastError()).c_str());
    return r;
}

void Runner::runFinished() {
    finished_ = true;
    loop_.quit();
}

void Runner::status(const std::string& sjisText) {
    const base::LocalDateTime t = loop_.localNow();
    std::fprintf(options_.out, "%02d:%02d:%02d %s\n", t.hour, t.minute, t.second,
                 base::toUtf8(sjisText).c_str());
    std::fflush(options_.out);
}

void Runner::lineCompleted(int index) {
    if (!options_.showScreen)
        return;
    std::fprintf(options_.out, "| %s\n", base::toUtf8(vazev_.line(index)).c_str());
    std::fflush(options_.out);
}

} // namespace app
