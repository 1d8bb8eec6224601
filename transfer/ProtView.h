#pragma once
// How the transfer model reaches its window (TProtForm): shown, closed, and told when the
// panels' texts or the progress changed. The window reads what to show from
// MlinkModel::display().
namespace transfer {

class ProtView {
public:
    virtual ~ProtView() = default;
    virtual void showWindow() = 0;
    virtual void closeWindow() = 0;
    virtual void changed() = 0;
};

} // namespace transfer
