#pragma once
// The engine's line straight into a simulated modem and host on the same loop, for whole
// runs in virtual time. Bytes and carrier changes go each way through the loop, as the
// serial component's notifications do, so neither side ever runs inside the other.
#include "base/EventLoop.h"
#include "engine/EnginePort.h"
#include "engine/VazevModel.h"
#include "sim/Simulator.h"

#include <functional>
#include <string>
#include <string_view>

namespace testing_support {

struct SimPort : engine::EnginePort {
    base::EventLoop* loop = nullptr;
    sim::Simulator* sim = nullptr;
    bool opened = false;
    std::string sent; // everything the engine wrote, in order
    int writes = 0;   // how many writes that was
    // Called after each write with its number (1 for the first): a test injects its faults
    // at the step it chooses.
    std::function<void(int)> afterWrite;
    // When not -1, the line fails once this many bytes went out: later writes are lost.
    long failAfterBytes = -1;
    bool failed = false;

    SimPort() = default;
    SimPort(base::EventLoop& l, sim::Simulator& s) : loop(&l), sim(&s) {}

    // What the simulator sends, and its carrier, reach `model` while the line is open.
    void connect(engine::VazevModel& model) {
        sim->setOutput([this, &model](std::string_view b) {
            loop->post([this, &model, bytes = std::string(b)] {
                if (opened)
                    model.Comm1CommReceive(bytes);
            });
        });
        sim->setCarrier([this, &model](bool on) {
            loop->post([this, &model, on] {
                if (opened)
                    model.Comm1CommEvent(on);
            });
        });
    }

    bool open(int, int) override {
        opened = true;
        sim->attach();
        return true;
    }
    void close() override {
        if (opened)
            sim->dtrDropped();
        opened = false;
    }
    bool isOpen() const override { return opened; }
    void write(std::string_view b) override {
        if (!opened || failed)
            return;
        if (failAfterBytes >= 0 && static_cast<long>(sent.size() + b.size()) > failAfterBytes) {
            failed = true;
            return;
        }
        sent.append(b);
        loop->post([this, bytes = std::string(b)] { sim->receive(bytes); });
        ++writes;
        if (afterWrite)
            afterWrite(writes);
    }
    bool networkLine() const override { return false; }
    bool writeFailed() const override { return failed; }
};

} // namespace testing_support
