#pragma once
// The MLINK transfer plugged into the terminal engine: it is the engine's Transfer (the
// auto-pilot's rules start it, the receive path feeds it, the hang-up aborts it) and gives
// the transfer model the engine's line, ring buffer, status line and error log. The
// terminal's "M-DOWN" and "M-UP" call startDownload() and startUpload() too.
//
// transfer/ and engine/ are siblings; only this adapter knows both, and the model itself
// sees the engine through MlinkLine alone.
#include "engine/Transfer.h"
#include "engine/VazevModel.h"
#include "transfer/MlinkLine.h"
#include "transfer/MlinkModel.h"

namespace transfer {

class EngineTransfer : public engine::Transfer, private MlinkLine {
public:
    // The engine must outlive the adapter; `folder` is the data folder.
    EngineTransfer(engine::VazevModel& vazev, std::string folder);

    MlinkModel& model() { return model_; }

    // engine::Transfer
    void startDownload() override { model_.MDOWN(); }
    void startUpload(const std::string& path) override { model_.MUP(path); }
    bool visible() const override { return model_.visible(); }
    void abort() override;
    void downloadData(const char* data, std::size_t n) override { model_.downloadData(data, n); }
    void uploadReceive(std::size_t n) override { model_.uploadReceive(n); }
    void ringData() override { model_.ringData(); }
    void ringOverrun() override { model_.ringOverrun(); }

private:
    // MlinkLine
    int receiveMode() const override { return vazev_.ReceiveMode(); }
    void setReceiveMode(int mode) override { vazev_.setReceiveMode(mode); }
    bool ringHasByte() const override { return vazev_.Rsrecv(); }
    unsigned char ringGetC() override { return static_cast<unsigned char>(vazev_.RsGetC()); }
    void clearRing() override { vazev_.clearRing(); }
    void receiveAsText(std::string_view bytes) override { vazev_.receiveAsText(bytes); }
    void send(std::string_view bytes) override { vazev_.send(bytes); }
    std::size_t sendBacklog() const override { return vazev_.port().sendBacklog(); }
    bool sendFailed() const override { return vazev_.port().writeFailed(); }
    void setStatus(const std::string& text) override { vazev_.setStatus(text); }
    void logError(const std::string& text) override { vazev_.logError(text); }
    void logErrorPlain(const std::string& text) override { vazev_.errorLog().add(text); }
    void setUploadSent(bool on) override { vazev_.setUploadSent(on); }

    engine::VazevModel& vazev_;
    MlinkModel model_;
};

} // namespace transfer
