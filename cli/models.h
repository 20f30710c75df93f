#pragma once
// The models of kalmira-fit: their names on the command line, and the engine's fits and values
// (curvefit/models.h, the window's own) gathered into what the program prints.
#include <string>
#include <string_view>
#include <vector>

#include "curvefit/models.h"

class TCurveFit;

struct TModelChoice : TModel {
    std::string Text;         // as the user names it: "line", "poly:5", "spline:0.25"
};

// Reads one model name ("line", "poly:5", "spline:0.25", "logistic") or a formula (a text with
// "=", such as "y = a*x^b"); false with an English message when the name is unknown, its number
// is out of range, or the formula does not parse (the message names the position and what was
// expected there).
bool ParseModel(std::string_view text, TModelChoice& choice, std::string& message);

// "all" or a comma-separated list of model names.
bool ParseModelList(std::string_view text, std::vector<TModelChoice>& choices, std::string& message);

// The models that "all" stands for: the eight of the engine and the built-in nonlinear models.
std::vector<TModelChoice> AllModels();

// Reads starting values "b1=500,b2=1e-4" and gives them to every nonlinear model of `choices`;
// false with an English message for a value that is no number, a name given twice, or a name
// that one of those models does not hold.
bool ApplyStart(std::string_view text, std::vector<TModelChoice>& choices, std::string& message);

// The fitted value at one x. Defined is false where the model has no value there (the spline
// outside its data, a logarithm of x <= 0, a zero denominator) or where its evaluation faults
// (an overflow); Note says which.
struct TValueAt {
    double X = 0.0;
    bool Defined = false;
    double Y = 0.0;
    std::string Note;
};

// What one fit is asked for beyond its parameters.
struct TFitRequest {
    std::vector<double> At;     // values at these x
    std::vector<double> Band;   // bands at these x
    double Level = 0.95;        // of the intervals and bands
    TStatisticsOptions Statistics;
    bool InY = false;           // the residual sum, R^2 and AIC in y itself, for comparing models
};

struct TModelFit {
    TModelChoice Choice;
    bool Ok = false;
    std::string Message;        // why the fit failed: the engine's message, or the program's own
    TFitResult Result;          // the parameters with their errors and the statistics
    double RawCancellation = 1.0;  // how much summing the parameters' terms cancels over the data
    std::vector<TValueAt> Values;  // at the x values asked for
    std::vector<TBandPoint> Band;  // at the x values asked for
    // In y itself (TFitRequest::InY): the same variable for every model.
    bool HasY = false;
    double RssY = 0.0, RSquaredY = 0.0;
    bool HasAicY = false;
    double AicY = 0.0;
};

// Fits `choice` to the engine's points, adds the statistics and evaluates the result as asked.
// Never throws for a fit that fails: the failure is in Ok and Message.
TModelFit FitModel(TCurveFit& engine, const TModelChoice& choice, const TFitRequest& request);
