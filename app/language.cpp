#include "app/language.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSettings>
#include <QLibraryInfo>
#include <QTranslator>
#include <vector>

namespace {

constexpr const char* kSettingsKey = "language";

// The engine's and the platform's German messages; %1 stands for the part that varies.
const char* const kMessages[] = {
    QT_TRANSLATE_NOOP("Message", "Gleitkommadivision durch Null"),
    QT_TRANSLATE_NOOP("Message", "Ungültige Gleitkommaoperation"),
    QT_TRANSLATE_NOOP("Message", "Gleitkommaüberlauf"),
    QT_TRANSLATE_NOOP("Message", "'%1' ist kein gültiger Gleitkommawert"),
    QT_TRANSLATE_NOOP("Message", "Datei nicht gefunden"),
    QT_TRANSLATE_NOOP("Message", "Pfad nicht gefunden"),
    QT_TRANSLATE_NOOP("Message", "Zu viele geöffnete Dateien"),
    QT_TRANSLATE_NOOP("Message", "Dateizugriff verweigert"),
    QT_TRANSLATE_NOOP("Message", "Ungültiges Dateihandle"),
    QT_TRANSLATE_NOOP("Message", "Zu wenig Speicherplatz"),
    QT_TRANSLATE_NOOP("Message", "E/A-Fehler %1"),
    QT_TRANSLATE_NOOP("Message", "Unbekannter Fehler"),
};

struct TMessagePattern {
    const char* source;
    QRegularExpression pattern;  // the source with every %n as a group
};

const std::vector<TMessagePattern>& MessagePatterns()
{
    static const std::vector<TMessagePattern> patterns = [] {
        std::vector<TMessagePattern> out;
        const QRegularExpression placeholder("%[1-9]");
        for (const char* source : kMessages) {
            const QString text = QString::fromUtf8(source);
            QString re = "^";
            qsizetype at = 0;
            for (auto it = placeholder.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                re += QRegularExpression::escape(text.mid(at, m.capturedStart() - at)) + "(.*)";
                at = m.capturedEnd();
            }
            re += QRegularExpression::escape(text.mid(at)) + "$";
            out.push_back({source, QRegularExpression(re, QRegularExpression::DotMatchesEverythingOption)});
        }
        return out;
    }();
    return patterns;
}

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

std::string TranslateMessage(const std::string& message)
{
    if (!g_english) return message;
    const QString text = QString::fromStdString(message);
    for (const TMessagePattern& p : MessagePatterns()) {
        const QRegularExpressionMatch m = p.pattern.match(text);
        if (!m.hasMatch()) continue;
        QString out = QCoreApplication::translate("Message", p.source);
        for (int i = 1; i <= m.lastCapturedIndex(); ++i) out = out.arg(m.captured(i));
        return out.toStdString();
    }
    return message;
}
