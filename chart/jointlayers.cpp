#include "chart/jointlayers.h"

#include <string>

#include "common/errors.h"

TJointLayers::TJointLayers()
{
    for (int n = 1; n <= kMaxLayers; ++n) {
        m_x[std::size_t(n - 1)] = n;
        m_y[std::size_t(n - 1)] = n;
    }
}

int TJointLayers::XControlledBy(int layer) const
{
    return layer >= 1 && layer <= kMaxLayers ? m_x[std::size_t(layer - 1)] : 0;
}

int TJointLayers::YControlledBy(int layer) const
{
    return layer >= 1 && layer <= kMaxLayers ? m_y[std::size_t(layer - 1)] : 0;
}

void TJointLayers::SetXControlledBy(int layer, int controller)
{
    Join(m_x, true, layer, controller);
}

void TJointLayers::SetYControlledBy(int layer, int controller)
{
    Join(m_y, false, layer, controller);
}

void TJointLayers::Join(std::array<int, kMaxLayers>& table, bool isX, int layer, int controller)
{
    // Only the 16 entries exist; another layer number names no entry.
    if (layer < 1 || layer > kMaxLayers) return;
    if (controller < 1 || controller > kMaxLayers)
        throw EQZLRChartError(ecLayerOutOfRange, {std::to_string(controller)});
    if (controller == layer) {
        table[std::size_t(layer - 1)] = layer;
        return;
    }
    if (table[std::size_t(controller - 1)] != controller)
        throw EQZLRChartError(ecLayerAlreadyJoined, {std::to_string(controller)});
    std::string followers;
    for (int k = 1; k <= kMaxLayers; ++k) {
        if (k == layer || table[std::size_t(k - 1)] != layer) continue;
        if (!followers.empty()) followers += ", ";
        followers += std::to_string(k);
    }
    if (!followers.empty())
        throw EQZLRChartError(ecLayerJoinedByOthers, {std::to_string(layer), followers});
    table[std::size_t(layer - 1)] = controller;
    if (OnJoin) OnJoin(*this, layer, controller, isX);
    if (OnChange) OnChange(*this);
}
