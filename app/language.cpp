#include "app/language.h"

#include <QCoreApplication>
#include <QSettings>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

constexpr const char* kSettingsKey = "language";

QTranslator* g_english = nullptr;  // installed while English is shown
// Qt's own texts (file dialogs, standard buttons) in German while German is shown, when the
// system has Qt's translations; without them those few texts stay English.
QTranslator* g_qtGerman = nullptr;

void ShowQtTextsInGerman(bool german)
{
    if (german && !g_qtGerman) {
        auto* translator = new QTranslator;
        if (!translator->load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return;
        }
        g_qtGerman = translator;
        QCoreApplication::installTranslator(g_qtGerman);
    } else if (!german && g_qtGerman) {
        QCoreApplication::removeTranslator(g_qtGerman);
        delete g_qtGerman;
        g_qtGerman = nullptr;
    }
}

}  // namespace

QString CurrentLanguage()
{
    return g_english ? kLanguageEnglish : kLanguageGerman;
}

bool SetLanguage(const QString& language)
{
    if (language == kLanguageGerman) {
        ShowQtTextsInGerman(true);
        if (g_english) {
            QCoreApplication::removeTranslator(g_english);
            delete g_english;
            g_english = nullptr;
        }
        return true;
    }
    if (language != kLanguageEnglish) return false;
    if (g_english) return true;
    auto* translator = new QTranslator;
    if (!translator->load(":/i18n/kalmira_en.qm")) {
        delete translator;
        return false;
    }
    g_english = translator;
    QCoreApplication::installTranslator(g_english);
    ShowQtTextsInGerman(false);
    return true;
}

QString StoredLanguage()
{
    const QString stored = QSettings().value(kSettingsKey, kLanguageGerman).toString();
    return stored == kLanguageEnglish ? kLanguageEnglish : kLanguageGerman;
}

void StoreLanguage(const QString& language)
{
    QSettings().setValue(kSettingsKey, language);
}

QString TakeLanguageArgument(QStringList& arguments)
{
    QString language;
    for (qsizetype i = 0; i < arguments.size();) {
        if (arguments[i] == "--lang" && i + 1 < arguments.size()) {
            language = arguments[i + 1];
            arguments.remove(i, 2);
        } else if (arguments[i].startsWith("--lang=")) {
            language = arguments[i].mid(7);
            arguments.remove(i);
        } else {
            ++i;
        }
    }
    return language;
}
