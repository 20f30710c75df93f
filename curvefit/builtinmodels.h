#pragma once
// The built-in nonlinear models: curves fitted every day in labs and courses, each a formula
// with starting values the data give, so a user never types a start. No Qt.
#include "curvefit/nonlinear.h"

#include <span>
#include <string_view>
#include <vector>

struct TBuiltinModel {
    const char* Name;     // "power", as kalmira-fit and the window name it
    const char* Formula;  // "y = a*x^b", in the formula language
    // Starting values from the data, in the formula's parameter order; throws EQZLMath2Error
    // naming what the data lack when they give none.
    std::vector<double> (*Start)(std::span<const double> x, std::span<const double> y);
};

// power, logistic, gauss, saturation, exp-offset, exp-y, in this order.
std::span<const TBuiltinModel> BuiltinModels();

// The built-in model of that name, or nullptr.
const TBuiltinModel* FindBuiltinModel(std::string_view name);

// Fits the built-in model from its own starting values. Throws as FitNonlinear and Start do.
TNonlinearResult FitBuiltinModel(const TBuiltinModel& model, std::span<const double> x, std::span<const double> y);
