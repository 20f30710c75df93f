#pragma once
// TSplineFollower: while the smoothing bar's handle is dragged, the spline of the newest factor is
// prepared and sampled on a worker thread, so the window keeps taking the mouse. A newer factor
// cancels a preparation still running (the engine stops between passes and keeps the p it
// reached as the next start), so the curve shown never trails the bar by more than the redraw at
// hand. The engine belongs to the worker from Start until the result arrives or Stop returns;
// every other use of the engine calls Stop first.
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

    // Fits the spline of `smoothing` to the engine's points and samples it over [low, high]
    // on the worker, after cancelling the run before.
    void Start(TCurveFit& engine, double smoothing, double low, double high);
    // Cancels a run and waits for its end; afterwards the engine is the caller's alone.
    void Stop();
    // A run was started and its result has not been handed over yet.
    bool Busy() const { return m_busy; }

private:
    QPointer<QObject> m_receiver;
    std::function<void(const TResult&)> m_done;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    TCurveFit* m_engine = nullptr;
    std::uint64_t m_generation = 0;  // of the newest start; a result of another is dropped
    bool m_busy = false;
};
