#include "app/splinefollower.h"

#include <memory>

#include "curvefit/curvefit.h"

TSplineFollower::TSplineFollower(QObject* receiver, std::function<void(const TResult&)> done)
    : m_receiver(receiver), m_done(std::move(done))
{
}

// The window is going: the run ends without telling it.
TSplineFollower::~TSplineFollower() { Cancel(); }

void TSplineFollower::Start(TCurveFit& engine, const TModel& model, double low, double high)
{
    Cancel();
    m_cancel.store(false, std::memory_order_relaxed);
    m_engine = &engine;
    engine.SetSplineCancel(&m_cancel);
    const std::uint64_t generation = ++m_generation;
    m_busy = true;
    m_worker = std::thread([this, &engine, model, low, high, generation] {
        auto result = std::make_shared<TResult>();
        try {
            if (CalcModelFit(engine, model, result->Fit))
                result->Curve = SampleCurve(result->Fit, low, high, kCurveSamples);
        } catch (const ESplineCancelled&) {
            result->Cancelled = true;
        } catch (...) {
            result->Error = std::current_exception();
        }
        if (result->Cancelled) return;
        // The result goes to the receiver's thread; there the newest start alone takes it.
        QMetaObject::invokeMethod(
            m_receiver.data(),
            [this, result, generation] {
                if (generation != m_generation || !m_busy) return;
                if (m_worker.joinable()) m_worker.join();
                m_engine->SetSplineCancel(nullptr);
                m_busy = false;
                if (OnIdle) OnIdle(*this);
                m_done(*result);
            },
            Qt::QueuedConnection);
    });
}

void TSplineFollower::Stop()
{
    const bool wasBusy = m_busy;
    Cancel();
    if (wasBusy && OnIdle) OnIdle(*this);
}

void TSplineFollower::Cancel()
{
    m_cancel.store(true, std::memory_order_relaxed);
    if (m_worker.joinable()) m_worker.join();
    if (m_engine) m_engine->SetSplineCancel(nullptr);
    // A result already on its way belongs to an older generation from now on.
    ++m_generation;
    m_busy = false;
}
