#pragma once
// Bilingual texts: every caption is a literal Chinese / English pair chosen at each relabel by the
// UI language of the program's window (chosen from the system locale at start, switched by the
// language button).
#include <QString>

namespace pavo {

enum UiLanguage : int { LanguageEnglish = 0, LanguageChinese = 1 };

UiLanguage CurrentUiLanguage();
void SetUiLanguage(UiLanguage language);

inline bool UiIsChinese() {
    return CurrentUiLanguage() == LanguageChinese;
}
inline QString Bilingual(const char* chinese, const char* english) {
    return QString::fromUtf8(UiIsChinese() ? chinese : english);
}

}  // namespace pavo
