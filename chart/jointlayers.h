#pragma once
// The joint-layer tables of a chart: entry n of the X table names the layer whose X range layer
// n follows (n itself when it follows none); the Y table works the same for Y ranges. A joined
// layer never controls others, and a layer that controls others cannot be joined.
#include <array>
#include <functional>

#include "chart/charttypes.h"

class TJointLayers {
public:
    TJointLayers();
    TJointLayers(const TJointLayers&) = delete;
    TJointLayers& operator=(const TJointLayers&) = delete;

    // The controller of layer n (1..16); out-of-range layers give 0.
    int XControlledBy(int layer) const;
    int YControlledBy(int layer) const;
    // Joins the X (or Y) range of `layer` to `controller`, or removes the join when controller
    // is the layer itself (without notifying). Raises EQZLRChartError, leaving the tables as they
    // were, for a controller outside 1..16, a controller that is itself joined, or a layer that
    // others follow. A new join copies the controller's range into the layer at once.
    void SetXControlledBy(int layer, int controller);
    void SetYControlledBy(int layer, int controller);

#define KALMIRA_JOINT_LAYER(nn, n)                                                        \
    int L##nn##xControlledBy() const { return XControlledBy(n); }                         \
    void SetL##nn##xControlledBy(int value) { SetXControlledBy(n, value); }               \
    int L##nn##yControlledBy() const { return YControlledBy(n); }                         \
    void SetL##nn##yControlledBy(int value) { SetYControlledBy(n, value); }
    KALMIRA_JOINT_LAYER(01, 1) KALMIRA_JOINT_LAYER(02, 2) KALMIRA_JOINT_LAYER(03, 3)
    KALMIRA_JOINT_LAYER(04, 4) KALMIRA_JOINT_LAYER(05, 5) KALMIRA_JOINT_LAYER(06, 6)
    KALMIRA_JOINT_LAYER(07, 7) KALMIRA_JOINT_LAYER(08, 8) KALMIRA_JOINT_LAYER(09, 9)
    KALMIRA_JOINT_LAYER(10, 10) KALMIRA_JOINT_LAYER(11, 11) KALMIRA_JOINT_LAYER(12, 12)
    KALMIRA_JOINT_LAYER(13, 13) KALMIRA_JOINT_LAYER(14, 14) KALMIRA_JOINT_LAYER(15, 15)
    KALMIRA_JOINT_LAYER(16, 16)
#undef KALMIRA_JOINT_LAYER

    // events; the owning chart connects both
    // A new join, before OnChange: `layer` takes the X (isX) or Y range of `controller`.
    std::function<void(TJointLayers& Sender, int layer, int controller, bool isX)> OnJoin;
    std::function<void(TJointLayers& Sender)> OnChange;

private:
    void Join(std::array<int, kMaxLayers>& table, bool isX, int layer, int controller);

    std::array<int, kMaxLayers> m_x{};   // index layer - 1
    std::array<int, kMaxLayers> m_y{};
};
