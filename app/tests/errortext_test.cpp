// The window's words for every error code: a German text and its English translation, each
// with the arguments the code's message has, and errors shown by code in the language chosen.
#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QTranslator>
#include <set>

#include "app/errortext.h"
#include "app/language.h"
#include "common/errors.h"
#include "curvefit/formula.h"

namespace {

std::set<QString> Placeholders(const QString& text)
{
    static const QRegularExpression placeholder("%[1-9]");
    std::set<QString> found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) found.insert(it.next().captured());
    return found;
}

class ErrorTexts : public ::testing::Test {
protected:
    ~ErrorTexts() override { SetLanguage(kLanguageGerman); }
};

TEST_F(ErrorTexts, EveryCodeHasAGermanAndAnEnglishTextWithItsArguments)
{
    QTranslator english;
    ASSERT_TRUE(english.load(":/i18n/kalmira_en.qm"));
    for (int i = 0; i < ecCount; ++i) {
        const auto code = static_cast<TErrorCode>(i);
        const QString engine = QString::fromUtf8(ErrorMessageFormat(code));
        SCOPED_TRACE(engine.toStdString());
        const QString german = QString::fromUtf8(ErrorSourceText(code));
        const QString translated = english.translate("Message", ErrorSourceText(code));
        EXPECT_FALSE(german.isEmpty());
        EXPECT_FALSE(translated.isEmpty()) << "no English text";
        EXPECT_EQ(Placeholders(german), Placeholders(engine));
        EXPECT_EQ(Placeholders(translated), Placeholders(engine));
    }
}

// Shown by code, not by text: the same error reads German or English as the window is set.
TEST_F(ErrorTexts, FollowTheWindowsLanguage)
{
    struct Case { std::function<void()> raise; const char* german; const char* english; };
    const Case cases[] = {
        {[] { throw EOverflow(); }, "Gleitkommaüberlauf", "Floating point overflow"},
        {[] { throw EInOutError(ENOENT); }, "Datei nicht gefunden", "File not found"},
        {[] { throw EQZLMath2Error(ecNotEnoughPoints, {"CalcLinFit"}); }, "CalcLinFit: not enough data points",
         "CalcLinFit: not enough data points"},
        {[] { throw EQZLMath2Error(ecTooFewPoints, {"FitNonlinear", "3"}); },
         "FitNonlinear: mehr Punkte als Parameter nötig (3 Parameter)",
         "FitNonlinear: more points than parameters needed (3 parameters)"},
        {[] { TFormula("y = a*x +"); }, "Position 10: erwartet wird eine Zahl, ein Name oder '('",
         "position 10: expected a number, a name or '('"},
        {[] {
             const double x[] = {1, -2}, b[] = {1};
             double values[2];
             TFormula("y = ln(a*x)").Evaluate(x, b, values);
         },
         "Position 5: ln von -2, einer Zahl <= 0, bei Punkt 2 (x = -2)",
         "position 5: ln of -2, a number <= 0, at point 2 (x = -2)"},
        // A text the program does not know as an error of its own passes as it is.
        {[] { throw std::runtime_error("Gleitkommaüberlauf"); }, "Gleitkommaüberlauf", "Gleitkommaüberlauf"},
    };
    for (const char* language : {kLanguageGerman, kLanguageEnglish}) {
        ASSERT_TRUE(SetLanguage(language));
        for (const Case& c : cases) {
            try {
                c.raise();
                ADD_FAILURE() << "no error: " << c.english;
            } catch (const std::exception& e) {
                EXPECT_EQ(ErrorTextOf(e).toStdString(), language == kLanguageEnglish ? c.english : c.german);
            }
        }
    }
}

}  // namespace
