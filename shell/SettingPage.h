#pragma once
// The pages of the settings window, for windows that open it on one of them.

namespace shell {

enum class SettingPage { Net = 0, Modem = 1, Font = 2 };

} // namespace shell
