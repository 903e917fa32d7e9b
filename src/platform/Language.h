#pragma once
// Bilingual texts: every caption is a literal Chinese / English pair chosen at each relabel by the
// UI language flag.
#include <QString>

#include "model/Flags.h"

namespace pavo {

inline bool UiIsChinese() {
    return Flags().uiLanguage.load() == LanguageChinese;
}
inline QString Bilingual(const char* chinese, const char* english) {
    return QString::fromUtf8(UiIsChinese() ? chinese : english);
}

}  // namespace pavo
