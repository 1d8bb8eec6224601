#pragma once
// The settings window "環境設定": the net page (net list and the fields of the chosen net),
// the modem page (five modem settings) and the font page (three display fonts). Every
// action goes to SettingModel; the window only shows what the model holds.
#include "shell/SettingModel.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace shell {

class TSettingForm : public QDialog {
    Q_OBJECT
public:
    explicit TSettingForm(SettingModel& model, QWidget* parent = nullptr);

    // Shows the window with that page in front.
    void showPage(SettingPage page);

    // How a row's "変更" asks for a font; tests replace it. Returns nullopt on cancel.
    using FontChooser = std::function<std::optional<DisplayFont>(QWidget*, const DisplayFont&)>;
    void setFontChooser(FontChooser chooser) { chooseFont_ = std::move(chooser); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildNetPage();
    QWidget* buildModemPage();
    QWidget* buildFontPage();
    void pageEntered(int index);

    void refreshNetPage();
    void showNetFields();
    void refreshModemPage(bool fields);
    void refreshFontPage();

    void netClicked(int row);
    void netOk();
    void settingChosen(int index);
    void settingTyped(const QString& text);
    void changeFont(int row);
    void closeWindow();

    SettingModel& model_;
    FontChooser chooseFont_;
    bool updating_ = false;
    bool shown_ = false;
    int fieldsShown_ = -1;

    QTabWidget* pages_ = nullptr;
    // Net page.
    QListWidget* netList_ = nullptr;
    QLineEdit* netName_ = nullptr;
    QLineEdit* shortName_ = nullptr;
    QLineEdit* telNo_ = nullptr;
    QComboBox* modemSetNo_ = nullptr;
    QLineEdit* userId_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* handle_ = nullptr;
    QRadioButton* ktbbs_ = nullptr;
    QRadioButton* big_ = nullptr;
    QPushButton* newNet_ = nullptr;
    QPushButton* deleteNet_ = nullptr;
    QPushButton* netOk_ = nullptr;
    // Modem page.
    QComboBox* settingName_ = nullptr;
    QLabel* baud_ = nullptr;
    QSpinBox* upDown_ = nullptr;
    std::array<QRadioButton*, 4> ports_{};
    QButtonGroup* portGroup_ = nullptr;
    QLineEdit* initCommand_ = nullptr;
    QLineEdit* dialPrefix_ = nullptr;
    QCheckBox* appendDigit_ = nullptr;
    QLineEdit* redialWait_ = nullptr;
    // Font page.
    std::array<QLabel*, 3> fontNames_{};
    std::array<QLabel*, 3> fontSizes_{};
};

// QFont for a stored font: its family (or the Japanese fixed-pitch stand-in), size,
// effects; and the colour to draw it in.
QFont toQFont(const DisplayFont& font);
QColor fontColor(const DisplayFont& font);
// The font dialog of the font page: fixed-pitch families only, effects and a colour.
std::optional<DisplayFont> chooseFixedFont(QWidget* parent, const DisplayFont& start);

} // namespace shell
