#pragma once
// What the chart remembers between mouse notifications (drags, rubber band, double click).

struct TMouseState {
};
