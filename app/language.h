#pragma once
// The interface languages: German, the program's own, and English, whose translation is built
// from app/kalmira_en.ts and embedded in the program. The choice made in the menu is kept in
// the user's settings; "--lang en" on the command line chooses for one run.
#include <QString>
#include <QStringList>

inline constexpr const char* kLanguageGerman = "de";
inline constexpr const char* kLanguageEnglish = "en";

// The language now shown: "de" or "en".
QString CurrentLanguage();

// Switches every window to `language`; false (and nothing changes) for a language the program
// does not have.
bool SetLanguage(const QString& language);

// The language kept in the user's settings ("de" when none is kept), and keeping one.
QString StoredLanguage();
void StoreLanguage(const QString& language);

// Takes "--lang xx" or "--lang=xx" out of the arguments and gives "xx"; empty when not given.
QString TakeLanguageArgument(QStringList& arguments);
