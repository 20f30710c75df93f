#pragma once
// TSplineFollower: a spline fit on a worker thread, so the window keeps taking the mouse and the
// keys. While the smoothing bar's handle is dragged it prepares the spline of the newest factor;
// "Auto" has it search the smoothing that cross-validation chooses, a second or more at a million
// points. A newer start cancels a run still going (the engine stops between passes and keeps the
// p it reached as the next start), so the curve shown never trails the bar by more than the
// redraw at hand. The engine belongs to the worker from Start until the result arrives or Stop
// returns; every other use of the engine calls Stop first.
#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

#include "curvefit/models.h"

class TCurveFit;

class TSplineFollower {
public:
    struct TResult {
        TFitResult Fit;
        TSampledCurve Curve;
        std::exception_ptr Error;  // the engine's error or a floating-point fault; none when cancelled
        bool Cancelled = false;
    };
    // `done` runs on the thread of `receiver` with the result of the newest start only; results
    // of cancelled or stopped runs never reach it.
    TSplineFollower(QObject* receiver, std::function<void(const TResult&)> done);
    ~TSplineFollower();
    TSplineFollower(const TSplineFollower&) = delete;
    TSplineFollower& operator=(const TSplineFollower&) = delete;

    // Fits `model` (a spline: a factor, or the smoothing chosen for the user) to the engine's
    // points and samples it over [low, high] on the worker, after cancelling the run before.
    void Start(TCurveFit& engine, const TModel& model, double low, double high);
    // Cancels a run and waits for its end; afterwards the engine is the caller's alone.
    void Stop();
    // A run was started and its result has not been handed over yet.
    bool Busy() const { return m_busy; }

    // Called on the receiver's thread when a run ends without a newer one after it: stopped, or
    // its result about to be handed over.
    std::function<void(TSplineFollower& sender)> OnIdle;

private:
    void Cancel();

    QPointer<QObject> m_receiver;
    std::function<void(const TResult&)> m_done;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    TCurveFit* m_engine = nullptr;
    std::uint64_t m_generation = 0;  // of the newest start; a result of another is dropped
    bool m_busy = false;
};
