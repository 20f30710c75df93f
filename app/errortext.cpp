#include "app/errortext.h"

#include <QCoreApplication>
#include <array>

#include "common/errors.h"
#include "curvefit/formula.h"

namespace {

struct TErrorRow {
    TErrorCode code;
    const char* text;
};

// The rows stand in the order of TErrorCode, which the lookup checks.
constexpr std::array<TErrorRow, ecCount> kErrorTexts{{
    {ecZeroDivide, QT_TRANSLATE_NOOP("Message", "Gleitkommadivision durch Null")},
    {ecInvalidOp, QT_TRANSLATE_NOOP("Message", "Ungültige Gleitkommaoperation")},
    {ecOverflow, QT_TRANSLATE_NOOP("Message", "Gleitkommaüberlauf")},
    {ecConvert, QT_TRANSLATE_NOOP("Message", "'%1' ist kein gültiger Gleitkommawert")},
    {ecFileNotFound, QT_TRANSLATE_NOOP("Message", "Datei nicht gefunden")},
    {ecPathNotFound, QT_TRANSLATE_NOOP("Message", "Pfad nicht gefunden")},
    {ecTooManyOpenFiles, QT_TRANSLATE_NOOP("Message", "Zu viele geöffnete Dateien")},
    {ecAccessDenied, QT_TRANSLATE_NOOP("Message", "Dateizugriff verweigert")},
    {ecInvalidHandle, QT_TRANSLATE_NOOP("Message", "Ungültiges Dateihandle")},
    {ecDiskFull, QT_TRANSLATE_NOOP("Message", "Zu wenig Speicherplatz")},
    {ecIOError, QT_TRANSLATE_NOOP("Message", "E/A-Fehler %1")},

    {ecNotEnoughPoints, QT_TRANSLATE_NOOP("Message", "%1: not enough data points")},
    {ecYZero, QT_TRANSLATE_NOOP("Message", "%1: y values must not be zero")},
    {ecYNotPositive, QT_TRANSLATE_NOOP("Message", "%1: y values must not be negative or zero")},
    {ecXNotPositive, QT_TRANSLATE_NOOP("Message", "%1: x values must not be negative or zero")},
    {ecCannotFit, QT_TRANSLATE_NOOP("Message", "%1: cannot fit function")},

    {ecSplineBounds, QT_TRANSLATE_NOOP("Message", "PenalizedCubicSpline: n1 must not be greater than n2")},
    {ecSplineIdenticalX, QT_TRANSLATE_NOOP("Message", "PenalizedCubicSpline: two or more x-values are identical")},
    {ecSplineXNotIncreasing, QT_TRANSLATE_NOOP("Message", "PenalizedCubicSpline: x-values must be increasing")},
    {ecSplineDfRange, QT_TRANSLATE_NOOP("Message", "ChooseSplineSmoothingForDf: die Freiheitsgrade müssen von 2 bis "
                                                   "zur Zahl der verschiedenen x-Werte reichen")},

    {ecNoMemory, QT_TRANSLATE_NOOP("Message", "Component \"%1\": not enough memory")},
    {ecNoMemoryOnHeap, QT_TRANSLATE_NOOP("Message", "Component \"%1\": not enough memory on heap")},

    {ecSigmaCount, QT_TRANSLATE_NOOP("Message", "AddStatistics: je Punkt wird eine Standardabweichung gebraucht")},
    {ecSigmaNotPositive,
     QT_TRANSLATE_NOOP("Message", "AddStatistics: die Standardabweichung von Punkt %1 ist keine positive Zahl")},
    {ecSigmaModel, QT_TRANSLATE_NOOP("Message", "AddStatistics: Standardabweichungen von y gelten nur für die Gerade, "
                                                "die Parabel und das Polynom")},
    {ecWeightedSingular, QT_TRANSLATE_NOOP("Message", "AddStatistics: die gewichtete Anpassung ist singulär")},

    {ecUnknownBuiltin, QT_TRANSLATE_NOOP("Message", "unbekanntes eingebautes Modell '%1'")},
    {ecNoSuchParameter, QT_TRANSLATE_NOOP("Message", "das Modell hat keinen Parameter '%1' (seine Parameter: %2)")},
    {ecLengthMismatch, QT_TRANSLATE_NOOP("Message", "%1: x und y sind verschieden lang")},
    {ecNoStartNoPoints, QT_TRANSLATE_NOOP("Message", "%1: keine Startwerte: keine Punkte")},
    {ecNoStartPower, QT_TRANSLATE_NOOP("Message", "%1: keine Startwerte: nötig sind zwei Punkte mit verschiedenem "
                                                  "x > 0 und y eines Vorzeichens")},
    {ecNoStartExpY, QT_TRANSLATE_NOOP("Message", "%1: keine Startwerte: nötig sind zwei Punkte mit verschiedenem x "
                                                 "und y eines Vorzeichens")},
    {ecNoStartSaturation,
     QT_TRANSLATE_NOOP("Message", "%1: keine Startwerte: nötig sind y, die bei x > 0 von 0 aus steigen")},
    {ecNoStartLogistic, QT_TRANSLATE_NOOP("Message", "%1: keine Startwerte: nötig sind Punkte eines Vorzeichens, die "
                                                     "mit x steigen oder fallen")},
    {ecNoStartGauss,
     QT_TRANSLATE_NOOP("Message", "%1: keine Startwerte: nötig ist ein Gipfel über Punkten mit verschiedenem x")},
    {ecNoStartSpreadX, QT_TRANSLATE_NOOP("Message", "%1: keine Startwerte: nötig sind Punkte mit verschiedenem x")},
    {ecNoParameter, QT_TRANSLATE_NOOP("Message", "%1: das Modell hat keinen Parameter")},
    {ecStartCount, QT_TRANSLATE_NOOP("Message", "%1: %2 Startwerte erwartet, %3 angegeben")},
    {ecTooFewPoints, QT_TRANSLATE_NOOP("Message", "%1: mehr Punkte als Parameter nötig (%2 Parameter)")},
    {ecStartNotFinite, QT_TRANSLATE_NOOP("Message", "%1: ein Startwert ist keine endliche Zahl")},
    {ecPointNotFinite, QT_TRANSLATE_NOOP("Message", "%1: Punkt %2 ist keine endliche Zahl")},
    {ecParameterCount, QT_TRANSLATE_NOOP("Message", "TFormula: %1 Parameterwerte erwartet, %2 angegeben")},
    {ecParameterNotFinite, QT_TRANSLATE_NOOP("Message", "TFormula: ein Parameterwert ist keine endliche Zahl")},
    {ecFormulaXNotFinite, QT_TRANSLATE_NOOP("Message", "TFormula: x von Punkt %1 ist keine endliche Zahl")},
    {ecJacobianSpans, QT_TRANSLATE_NOOP("Message", "TFormula.Evaluate: die Felder der Werte und der Jacobi-Matrix "
                                                   "passen nicht zu den Punkten")},
    {ecValueSpans, QT_TRANSLATE_NOOP("Message", "TFormula.Evaluate: das Feld der Werte passt nicht zu den Punkten")},

    {ffExpectedOperand, QT_TRANSLATE_NOOP("Message", "erwartet wird eine Zahl, ein Name oder '('")},
    {ffExpectedOperator, QT_TRANSLATE_NOOP("Message", "erwartet wird ein Operator oder das Ende der Formel")},
    {ffExpectedCloseParen, QT_TRANSLATE_NOOP("Message", "erwartet wird ein Operator oder ')'")},
    {ffExpectedOpenParen, QT_TRANSLATE_NOOP("Message", "erwartet wird '(' nach %1")},
    {ffExpectedExponent, QT_TRANSLATE_NOOP("Message", "erwartet werden die Ziffern des Exponenten")},
    {ffExpectedEquals, QT_TRANSLATE_NOOP("Message", "erwartet wird '=' nach y")},
    {ffUnknownFunction, QT_TRANSLATE_NOOP("Message", "unbekannte Funktion '%1' (die Funktionen sind exp, ln, log10, "
                                                     "sqrt, sin, cos, tan, atan, abs)")},
    {ffResponseOnRight, QT_TRANSLATE_NOOP("Message", "y darf rechts vom '=' nicht stehen")},
    {ffNestedTooDeep, QT_TRANSLATE_NOOP("Message", "tiefer als %1 Ebenen geschachtelt")},
    {ffLogOfNonPositive, QT_TRANSLATE_NOOP("Message", "%1 von %2, einer Zahl <= 0")},
    {ffSqrtOfNegative, QT_TRANSLATE_NOOP("Message", "sqrt von %1, einer negativen Zahl")},
    {ffDivisionByZero, QT_TRANSLATE_NOOP("Message", "Division durch 0")},
    {ffPowerOfNegative, QT_TRANSLATE_NOOP("Message", "Potenz von %1, einer negativen Basis, mit einem Exponenten, "
                                                     "der keine ganze Zahl ist")},
    {ffZeroToNegativePower, QT_TRANSLATE_NOOP("Message", "0 hoch %1")},
    {ffNoDerivative, QT_TRANSLATE_NOOP("Message", "die Ableitung von %1 ist dort unendlich")},
    {ffOverflow, QT_TRANSLATE_NOOP("Message", "ein Wert jenseits des Bereichs von double")},

    {ecLogAxisNegative, QT_TRANSLATE_NOOP("Message", "Logarithmic axis must not be negative.")},
    {ecLayerOutOfRange, QT_TRANSLATE_NOOP("Message", "Destination layer %1 is out of range")},
    {ecLayerAlreadyJoined, QT_TRANSLATE_NOOP("Message", "Destination layer %1 is already joined")},
    {ecLayerJoinedByOthers, QT_TRANSLATE_NOOP("Message", "Layer %1 is joined by other layers (%2)")},
}};

constexpr bool RowsInCodeOrder()
{
    for (std::size_t i = 0; i < kErrorTexts.size(); ++i)
        if (kErrorTexts[i].code != static_cast<TErrorCode>(i) || kErrorTexts[i].text == nullptr) return false;
    return true;
}
static_assert(RowsInCodeOrder(), "one text per code, in the order of TErrorCode");

QString Translate(const char* source) { return QCoreApplication::translate("Message", source); }

// Puts the arguments in for %1, %2, ... in one pass, so an argument holding "%1" stays as it is.
QString Fill(const QString& text, const std::vector<std::string>& args)
{
    QString out = text;
    if (args.empty()) return out;
    QStringList values;
    for (const std::string& a : args) values << QString::fromStdString(a);
    switch (values.size()) {
    case 1: return out.arg(values[0]);
    case 2: return out.arg(values[0], values[1]);
    default: return out.arg(values[0], values[1], values[2]);
    }
}

// A formula error's message framed by its position in the text and the point being evaluated.
QString FormulaErrorText(const EFormulaError& e)
{
    QString text = ErrorText(e.Code, e.Args);
    if (e.Position > 0)
        text = Translate(QT_TRANSLATE_NOOP("Message", "Position %1: %2")).arg(QString::number(e.Position), text);
    if (e.Point > 0)
        text = Translate(QT_TRANSLATE_NOOP("Message", "%1, bei Punkt %2 (x = %3)"))
                   .arg(text, QString::number(e.Point), QString::fromStdString(FormulaNumberText(e.X)));
    return text;
}

}  // namespace

const char* ErrorSourceText(TErrorCode code)
{
    return code >= 0 && code < ecCount ? kErrorTexts[code].text : "";
}

QString ErrorText(TErrorCode code, const std::vector<std::string>& args)
{
    return Fill(Translate(ErrorSourceText(code)), args);
}

QString ErrorTextOf(const std::exception& error)
{
    if (const auto* formula = dynamic_cast<const EFormulaError*>(&error)) return FormulaErrorText(*formula);
    if (const auto* coded = dynamic_cast<const ECodedError*>(&error)) return ErrorText(coded->Code, coded->Args);
    return QString::fromStdString(error.what());
}

QString UnknownErrorText()
{
    return Translate(QT_TRANSLATE_NOOP("Message", "Unbekannter Fehler"));
}
