#include "shell/ModemSetting.h"

#include "base/Sjis.h"

namespace shell {

ModemSettings defaultModemSettings() {
    ModemSettings s;
    const char8_t* names[kModemSettings] = {u8"設定１", u8"設定２", u8"設定３", u8"設定４",
                                            u8"設定５"};
    for (int i = 0; i < kModemSettings; ++i)
        s[static_cast<size_t>(i)].name = base::sj(names[i]);
    return s;
}

} // namespace shell
