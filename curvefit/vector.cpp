#include "curvefit/vector.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "common/errors.h"

namespace {

// The element count asked for, as a vector of zeros; any allocation failure raises `what`.
std::vector<double> ZeroStorage(std::size_t count, const std::string& name, TErrorCode what)
{
    try {
        return std::vector<double>(count, 0.0);
    } catch (const std::bad_alloc&) {
        throw EQZLVectorError(what, {name});
    } catch (const std::length_error&) {
        throw EQZLVectorError(what, {name});
    }
}

}  // namespace

TVector::TVector(int nrOfElem, std::string name)
    : m_name(std::move(name))
{
    m_data = ZeroStorage(static_cast<std::size_t>(std::max(nrOfElem, 1)), m_name, ecNoMemoryOnHeap);
}

int TVector::NrOfElem() const { return static_cast<int>(m_data.size()); }

void TVector::SetNrOfElem(int n)
{
    if (n < 1 || n == NrOfElem()) return;
    std::vector<double> fresh = ZeroStorage(static_cast<std::size_t>(n), m_name, ecNoMemory);
    std::copy_n(m_data.begin(), std::min(m_data.size(), fresh.size()), fresh.begin());
    m_data.swap(fresh);
    Changed();
}

double TVector::Elem(int index) const
{
    if (index < 1 || index > NrOfElem()) return 0.0;
    return m_data[static_cast<std::size_t>(index - 1)];
}

void TVector::SetElem(int index, double value)
{
    if (index < 1 || index > NrOfElem()) return;
    m_data[static_cast<std::size_t>(index - 1)] = value;
    Changed();
}

void TVector::Fill(double value)
{
    std::fill(m_data.begin(), m_data.end(), value);
    Changed();
}

namespace {

// Comb sort of elements first..last (1-based, clamped and ordered first). `outOfOrder(a, b)`
// tells whether a must move behind b. Every exchange fires OnSortExchange; a sort that had
// anything to do fires OnChange once at the end.
template <class OutOfOrder>
bool CombSort(TVector& v, double* data, int first, int last, OutOfOrder outOfOrder)
{
    if (last < first) std::swap(first, last);
    first = std::clamp(first, 1, v.NrOfElem());
    last = std::clamp(last, 1, v.NrOfElem());
    if (last - first <= 0) return false;
    int gap = last - first;
    bool swapped = false;
    do {
        // The classic shrink factor 1.3, as integer arithmetic: gap * 10 / 13 truncates like gap / 1.3.
        gap = std::max(static_cast<int>(static_cast<long long>(gap) * 10 / 13), 1);
        swapped = false;
        for (int i = first; i + gap <= last; ++i) {
            double& a = data[i - 1];
            double& b = data[i + gap - 1];
            if (outOfOrder(a, b)) {
                std::swap(a, b);
                if (v.OnSortExchange) v.OnSortExchange(v, 0, i, i + gap, 0, 0);
                swapped = true;
            }
        }
    } while (gap != 1 || swapped);
    return true;
}

}  // namespace

void TVector::SortAscending(int first, int last)
{
    if (CombSort(*this, m_data.data(), first, last, [](double a, double b) { return a > b; })) Changed();
}

void TVector::SortDescending(int first, int last)
{
    if (CombSort(*this, m_data.data(), first, last, [](double a, double b) { return a < b; })) Changed();
}
