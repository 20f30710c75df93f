#pragma once
// The floating-point flags a computation raises on its way and handles itself (an overflow in a
// rejected trial step of a fit) are its own business: a TOwnFloatFlags clears them when it
// ends, so a caller's TFloatGuard sees only the flags that were set before.
#include "common/fpguard.h"

class TOwnFloatFlags {
public:
    TOwnFloatFlags() = default;
    TOwnFloatFlags(const TOwnFloatFlags&) = delete;
    TOwnFloatFlags& operator=(const TOwnFloatFlags&) = delete;
    ~TOwnFloatFlags() { fpguard_detail::TakeFlags(); }

private:
    TFloatGuard m_outer;  // takes the caller's flags now, hands them back after the destructor's body
};
