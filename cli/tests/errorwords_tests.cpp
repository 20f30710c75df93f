// kalmira-fit's words for every error code: English, with the arguments the code's message has,
// and the engine's English messages as they stand.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "cli/errorwords.h"
#include "common/errors.h"
#include "curvefit/formula.h"

namespace {

std::set<std::string> Placeholders(const std::string& text)
{
    static const std::regex placeholder("%[1-9]");
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder); it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

TEST(ErrorWords, EveryCodeHasEnglishWordsWithItsArguments)
{
    static const std::regex german("[äöüÄÖÜß]|Datei|Fehler|Gleitkomma|ungültig|Speicher|Pfad");
    for (int i = 0; i < ecCount; ++i) {
        const auto code = static_cast<TErrorCode>(i);
        const std::string engine = ErrorMessageFormat(code);
        const std::string words = ErrorWordsFormat(code);
        SCOPED_TRACE(engine);
        EXPECT_FALSE(words.empty());
        EXPECT_FALSE(std::regex_search(words, german)) << words;
        EXPECT_EQ(Placeholders(words), Placeholders(engine));
        // The engine speaks English except where the platform speaks German.
        if (!IsPlatformError(code)) {
            EXPECT_EQ(words, engine);
        }
    }
}

TEST(ErrorWords, WordErrorsByTheirCode)
{
    EXPECT_EQ(ErrorWordsOf(EOverflow()), "floating-point overflow");
    EXPECT_EQ(ErrorWordsOf(EInOutError(EIO)), "input/output error 5");
    EXPECT_EQ(ErrorWordsOf(EConvertError("abc")), "'abc' is not a number");
    EXPECT_EQ(ErrorWordsOf(EQZLMath2Error(ecNotEnoughPoints, {"CalcLinFit"})), "CalcLinFit: not enough data points");
    try {
        const double x[] = {1, -2}, b[] = {1};
        double values[2];
        TFormula("y = ln(a*x)").Evaluate(x, b, values);
        FAIL() << "no error";
    } catch (const EFormulaError& e) {
        EXPECT_EQ(ErrorWordsOf(e), "position 5: ln of -2, a number <= 0, at point 2 (x = -2)");
        EXPECT_EQ(ErrorWordsOf(e), e.what()) << "the engine's own English";
    }
    EXPECT_EQ(ErrorWordsOf(std::runtime_error("as it stands")), "as it stands");
}

}  // namespace
