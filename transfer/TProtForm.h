#pragma once
// The transfer window ("ファイル転送"): a small always-on-top dialog that shows one MLINK
// transfer as it runs — protocol, file name, elapsed time, size, blocks, speed, time left
// and a progress bar — and aborts it with "中断". It owns widgets only; everything it shows
// comes from MlinkModel::display(), and the model shows and closes it.
#include "transfer/MlinkModel.h"
#include "transfer/ProtView.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace transfer {

class TProtForm : public QDialog, public ProtView {
    Q_OBJECT
public:
    // The model must outlive the window; the window registers itself as its view.
    explicit TProtForm(MlinkModel& model, QWidget* parent = nullptr);
    ~TProtForm() override;

    // ProtView
    void showWindow() override;
    void closeWindow() override;
    void changed() override;

    // What the panels show, for tests.
    QString panelText(const char* objectName) const;
    int progressValue() const;
    int progressMaximum() const;

protected:
    // Closing the window by hand while a transfer runs aborts it, like "中断".
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void build();
    void ABORTClick();

    MlinkModel& model_;
    QLabel* protName_ = nullptr;
    QLabel* filename_ = nullptr;
    QLabel* timeCount_ = nullptr;
    QLabel* label6_ = nullptr;
    QLabel* recvSize_ = nullptr;
    QLabel* block_ = nullptr;
    QLabel* speed_ = nullptr;
    QLabel* leftTime_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QPushButton* abort_ = nullptr;
};

} // namespace transfer
