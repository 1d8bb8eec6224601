#pragma once
// The engine's line over the serial component: opens COM<n> through comm::TComm, passes
// what arrives and every carrier change to the terminal's model, and turns the
// component's exceptions into results, so that a failing line never throws into a step.
#include "comm/TComm.h"
#include "engine/EnginePort.h"

namespace engine {

class VazevModel;

class TCommPort : public EnginePort {
public:
    // `comm` must outlive this port. The model is set with attach() before the first open.
    explicit TCommPort(comm::TComm& comm);
    ~TCommPort() override;
    void attach(VazevModel* model) { model_ = model; }

    bool open(int port, int baudRate) override;
    void close() override;
    bool isOpen() const override { return comm_.isOpen(); }
    void write(std::string_view bytes) override;
    bool networkLine() const override;
    std::string failure() const override;
    std::string deviceName() const override { return comm_.deviceName(); }
    std::size_t sendBacklog() const override;
    bool writeFailed() const override { return writeFailed_; }

private:
    comm::TComm& comm_;
    VazevModel* model_ = nullptr;
    std::string lastError_; // why the last open failed
    bool writeFailed_ = false;
};

} // namespace engine
