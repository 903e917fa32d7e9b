#include "platform/Language.h"

#include <atomic>

namespace pavo {

namespace {
// The UI thread sets it; the texts read it on the same thread.
std::atomic<int> gLanguage{LanguageEnglish};
}  // namespace

UiLanguage CurrentUiLanguage() {
    return static_cast<UiLanguage>(gLanguage.load(std::memory_order_relaxed));
}

void SetUiLanguage(UiLanguage language) {
    gLanguage.store(language, std::memory_order_relaxed);
}

}  // namespace pavo
