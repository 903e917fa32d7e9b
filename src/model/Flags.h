#pragma once
// Process-wide flags shared by the pages, the connection logic and the receive path.
#include <atomic>

namespace pavo {

enum UiLanguage : int { LanguageEnglish = 0, LanguageChinese = 1 };

struct ProcessFlags {
    std::atomic<int> uiLanguage{LanguageEnglish};  // 1 Chinese, 0 English
    std::atomic<int> connected{0};
    std::atomic<int> transferPending{0};  // a bulk transfer waits for its acknowledgement
    std::atomic<int> lookupPending{0};
    std::atomic<int> storeAuthority{0};  // the system password was verified on this connection
};

ProcessFlags& Flags();

}  // namespace pavo
