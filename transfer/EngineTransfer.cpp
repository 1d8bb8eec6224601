#include "transfer/EngineTransfer.h"

namespace transfer {

EngineTransfer::EngineTransfer(engine::VazevModel& vazev, std::string folder)
    : vazev_(vazev), model_(vazev.loop(), *this, std::move(folder)) {}

void EngineTransfer::abort() {
    if (model_.busy())
        model_.ABORTClick();
}

} // namespace transfer
